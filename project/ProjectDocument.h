#pragma once

#include "project/Project.h"
#include "project/ProjectFileReader.h"
#include "project/Prompter.h"

#include <string>
#include <vector>

namespace kf {

inline constexpr const char* kApplicationTitle = "Kelpforge";
inline constexpr const char* kProjectExtension = ".kfp";

// The chosen Save As name, with ".kfp" appended unless its extension is exactly ".kfp".
std::string ProjectFileNameFor(const std::string& aChosenName);

// The one open project bound to its project file, with the commands New, Open, Save and Save As.
// Each command returns false when the user cancelled it; errors are raised.
class TProjectDocument {
public:
    TProjectDocument(TProject& aProject, Prompter& aPrompter);

    const std::string& CurrentFile() const { return fCurrentFile; }
    // "Kelpforge", or "Kelpforge - " and the file name while the project is titled.
    std::string Title() const;

    // Asked before New and Open while the project is titled: Yes saves, No goes on, Cancel stops.
    bool AskSaveChanges();
    bool New();
    bool Open();
    // The rows that the last Open left out because their source files could not be opened.
    const std::vector<TDroppedRow>& DroppedRows() const { return fDroppedRows; }
    // The keys that the opened file repeats, as "[Files] 0" (see ReadProjectFile).
    const std::vector<std::string>& RepeatedKeys() const { return fRepeatedKeys; }
    bool Save();
    bool SaveAs();

private:
    TProject& fProject;
    Prompter& fPrompter;
    std::string fCurrentFile;
    std::vector<TDroppedRow> fDroppedRows;
    std::vector<std::string> fRepeatedKeys;
};

} // namespace kf
