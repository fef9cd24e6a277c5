#pragma once

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace kf {

// A filter written as "Caption (*.a; *.b)|*.a;*.b|..." in the form Qt's file dialogs take.
QString QtFileFilter(const std::string& aFilter);

// The standard open and save dialogs, without title or default extension; the save dialog does
// not ask before an existing file is chosen. Empty when cancelled.
std::optional<std::string> ChooseFileToOpen(QWidget* anOwner, const std::string& aStartFolder,
                                            const std::string& aFilter);
// The open dialog for a picture, which previews the file under the cursor.
std::optional<std::string> ChoosePictureToOpen(QWidget* anOwner, const std::string& aStartFolder,
                                               const std::string& aFilter);
std::optional<std::string> ChooseFileToSave(QWidget* anOwner, const std::string& aStartFolder,
                                            const std::string& aName, const std::string& aFilter);

} // namespace kf
