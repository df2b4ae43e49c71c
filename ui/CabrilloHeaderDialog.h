#pragma once

#include "export/CabrilloHeader.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QWidget;

// "Cabrillo Header": the header the export writes, each category offered as the values
// the format allows, kept in the main settings file when the operator presses OK.
class CabrilloHeaderDialog : public QDialog {
    Q_OBJECT
public:
    CabrilloHeaderDialog(std::string folder, QWidget *parent);

    // Shows the header as the settings file has it now, and keeps it on OK.
    void showDialog();

    QComboBox *EVersion;
    // By CabrilloTags(): a QLineEdit for free text, a QComboBox for a category.
    std::vector<QWidget *> fields;

private:
    void BOkClick();

    std::string folder_;
};
