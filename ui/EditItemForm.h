#pragma once

#include "project/Entries.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kf {

// "Edit Current Item": one file row's target path and options.
class TForm7 : public QDialog {
    Q_OBJECT

public:
    explicit TForm7(QWidget* aParent = nullptr);

    // Shows the row's values; OK writes the choices back into it. True when OK was chosen.
    bool Edit(TFileEntry& aRow);

    void Button1Click() { accept(); }
    void Button2Click() { reject(); }

private:
    QLineEdit* fEdit1 = nullptr;
    QLineEdit* fEdit2 = nullptr;
    QComboBox* fComboBox1 = nullptr;
    QComboBox* fComboBox2 = nullptr;
    QCheckBox* fCheckBox1 = nullptr;
};

} // namespace kf
