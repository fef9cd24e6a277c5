#pragma once

#include "project/PathParts.h"
#include "project/Project.h"
#include "project/Prompter.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace kf {

inline constexpr const char* kSetupFileFilter = "Exe file (*.exe)|*.exe";
inline constexpr const char* kLogoFilter = "Bitmap Files 164x314 pixels (*.bmp)|*.bmp";
inline constexpr const char* kHeaderFilter = "Bitmap Files 55x55 pixels (*.bmp)|*.bmp";

// The General page: product data, the setup file, the compression, the target Windows and the
// two bitmaps.
class TGeneralPage : public QWidget {
    Q_OBJECT

public:
    TGeneralPage(TProject& aProject, QWidget* aParent = nullptr);

    // The save dialog for the setup file, started from a folder and a file name, and the picture
    // dialog with its filter; an empty answer means it was cancelled. Tests put their choice here.
    std::function<std::optional<std::string>(const TPathParts& aStart)> ChooseSetupFile;
    std::function<std::optional<std::string>(const std::string& aFilter)> ChooseBitmap;

    void ShowModel();

    void Edit1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();

signals:
    // The project changed in a way other pages show.
    void ModelChanged();

private:
    QLineEdit* AddEdit(QGridLayout* aGrid, const char* aLabel, const char* aName);
    QPushButton* AddBrowseButton(QGridLayout* aGrid, const char* aName);
    void ChooseBitmapFor(QLineEdit* anEdit, std::string& aField, const char* aFilter);

    TProject& fProject;
    QLineEdit* fEdit1 = nullptr;
    QLineEdit* fEdit2 = nullptr;
    QLineEdit* fEdit3 = nullptr;
    QLineEdit* fEdit4 = nullptr;
    QComboBox* fComboBox1 = nullptr;
    QComboBox* fComboBox11 = nullptr;
    QCheckBox* fCheckBox8 = nullptr;
    QLineEdit* fEdit5 = nullptr;
    QLineEdit* fEdit6 = nullptr;
};

} // namespace kf
