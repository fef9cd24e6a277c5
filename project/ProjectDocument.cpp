#include "project/ProjectDocument.h"

#include "project/HostPaths.h"
#include "project/PathParts.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

namespace kf {

std::string ProjectFileNameFor(const std::string& aChosenName) {
    return WithExactExtension(aChosenName, kProjectExtension);
}

TProjectDocument::TProjectDocument(TProject& aProject, Prompter& aPrompter)
    : fProject(aProject), fPrompter(aPrompter) {}

std::string TProjectDocument::Title() const {
    if (fCurrentFile.empty())
        return kApplicationTitle;
    return std::string(kApplicationTitle) + " - " + FileNameOf(fCurrentFile);
}

bool TProjectDocument::AskSaveChanges() {
    if (fCurrentFile.empty())
        return true;
    const TMsgResult answer = fPrompter.ShowMessage(
        TMessageBox{kApplicationTitle, "Save changes to project " + FileNameOf(fCurrentFile) + "?",
                    TMsgIcon::Question, TMsgButtons::YesNoCancel, 2});
    if (answer == TMsgResult::Cancel)
        return false;
    if (answer == TMsgResult::Yes)
        return Save();
    return true;
}

bool TProjectDocument::New() {
    if (!AskSaveChanges())
        return false;
    fCurrentFile.clear();
    fDroppedRows.clear();
    fRepeatedKeys.clear();
    fProject.ResetToNew();
    return true;
}

bool TProjectDocument::Open() {
    if (!AskSaveChanges())
        return false;
    const auto chosen = fPrompter.ChooseProjectToOpen();
    if (!chosen)
        return false;
    fCurrentFile = *chosen;
    fDroppedRows = ReadProjectFile(fProject, fCurrentFile, fPrompter, &fRepeatedKeys);
    return true;
}

bool TProjectDocument::Save() {
    if (fCurrentFile.empty())
        return SaveAs();
    SaveProjectFile(fProject, fCurrentFile);
    return true;
}

bool TProjectDocument::SaveAs() {
    const auto chosen = fPrompter.ChooseProjectToSave(fProject.ProductName() + kProjectExtension);
    if (!chosen)
        return false;
    const std::string path = ProjectFileNameFor(*chosen);
    // The document moves to the new file only once it has been written, so a failed write
    // leaves it bound to the file that its title names.
    SaveProjectFile(fProject, path);
    fCurrentFile = path;
    return true;
}

} // namespace kf
