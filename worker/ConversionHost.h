#pragma once

#include "TransformOptions.h"

// Which commands a step of a conversion leaves available.
enum class CommandHold {
    // Every command follows the state of the pages.
    None,
    // As None, but Save and Convert are disabled whatever the active page's state: the step
    // that starts a conversion holds them so until the next change of state.
    SaveAndConvert,
};

// What a conversion worker needs of the window it converts for, besides the page record it is
// given: its synchronised steps change the page's state, and the window alone decides from that
// state which commands are enabled. Called on the GUI thread only, inside those steps.
class ConversionHost {
public:
    virtual void RequestCommandUpdate(CommandHold hold) = 0;
    // The transform options the next conversion runs with, read when it starts.
    virtual TransformOptions ConversionOptions() const = 0;

protected:
    ConversionHost() = default;
    ConversionHost(const ConversionHost&) = default;
    ConversionHost& operator=(const ConversionHost&) = default;
    ~ConversionHost() = default;
};
