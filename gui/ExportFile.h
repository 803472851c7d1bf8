#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

// Saves what a view exports (a table as CSV, a chart as PNG): asks for the file through the
// installed Dialogs, adds suffix ("csv") to a name that has none, and writes through a temporary
// file that replaces the target only when complete. A failure is shown as
// "Cannot save x.csv: reason", and the old file stays. Cancelling does nothing.
void ExportFile(QWidget* parent, const QString& title, const QString& filter, const QString& suffix,
                const std::function<QByteArray()>& contents);
