#pragma once

#include "project/EntryCommands.h"
#include "project/Prompter.h"

#include <QString>

#include <string>

class QBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kf {

// Pieces the Shortcuts and Registry pages share.
QLineEdit* CreateEdit(QWidget* aParent, const char* aName);
QPushButton* CreateButton(QWidget* aParent, QBoxLayout* aRow, const char* aName, const char* aCaption);
// Shows a refused Add's message and moves the keyboard focus to the control it names.
void ShowRefusal(Prompter& aPrompter, QWidget* aPage, const TAddResult& aResult);
void ShowText(QLineEdit* anEdit, const std::string& aText);

inline constexpr const char* kDeleteSelectedItem = "Are you sure you want to delete the selected item?";
inline constexpr const char* kDeleteAllItems = "Are you sure you want to delete all items?";

} // namespace kf
