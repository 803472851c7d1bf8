#include "TransformPage.h"

#include <QAbstractButton>

void SetButtonsFromPage(const TransformPage& active, QAbstractButton* saveButton,
                        QAbstractButton* convertButton) {
    saveButton->setEnabled(active.Unsaved && !active.Busy);
    convertButton->setEnabled(!active.Busy);
}
