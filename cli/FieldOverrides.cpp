#include "cli/FieldOverrides.h"

#include <algorithm>
#include <charconv>
#include <functional>

namespace kf {

namespace {

using TSetter = std::function<void(TProject&, const std::string& aValue)>;

struct TField {
    const char* Name;
    TSetter Set;
};

[[noreturn]] void Refuse(const std::string& aName, const std::string& aValue, const std::string& aRule) {
    throw EUsage("--set " + aName + "=" + aValue + ": " + aName + " " + aRule);
}

int Number(const std::string& aName, const std::string& aValue, int aLowest, int aHighest) {
    int number = 0;
    const auto [end, error] = std::from_chars(aValue.data(), aValue.data() + aValue.size(), number);
    if (aValue.empty() || error != std::errc() || end != aValue.data() + aValue.size() || number < aLowest ||
        number > aHighest)
        Refuse(aName, aValue,
               "takes a whole number from " + std::to_string(aLowest) + " to " + std::to_string(aHighest));
    return number;
}

bool Flag(const std::string& aName, const std::string& aValue) {
    if (aValue != "0" && aValue != "1")
        Refuse(aName, aValue, "takes 1 (on) or 0 (off)");
    return aValue == "1";
}

TField Text(const char* aName, std::string TProject::*aField) {
    return {aName, [aField](TProject& aProject, const std::string& aValue) { aProject.*aField = aValue; }};
}

TField Flag(const char* aName, bool TProject::*aField) {
    return {aName, [aName, aField](TProject& aProject, const std::string& aValue) {
                aProject.*aField = Flag(aName, aValue);
            }};
}

TField Position(const char* aName, int TProject::*aField, int aLast) {
    return {aName, [aName, aField, aLast](TProject& aProject, const std::string& aValue) {
                aProject.*aField = Number(aName, aValue, 0, aLast);
            }};
}

const std::vector<TField>& Fields() {
    static const std::vector<TField> fields = {
        {"ProductName",
         [](TProject& aProject, const std::string& aValue) { aProject.SetProductName(aValue); }},
        Text("ProductVersion", &TProject::ProductVersion),
        Text("CompanyName", &TProject::CompanyName),
        Text("SetupFile", &TProject::SetupFile),
        Position("Compression", &TProject::Compression, 2),
        Flag("Solid", &TProject::SolidCompression),
        Position("TargetWindows", &TProject::TargetWindows, 1),
        Text("LogoBitmap", &TProject::LogoBitmap),
        Text("HeaderBitmap", &TProject::HeaderBitmap),
        Position("InstallBase", &TProject::InstallBase, 6),
        {"InstallFolder",
         [](TProject& aProject, const std::string& aValue) { aProject.SetInstallFolder(aValue); }},
        Flag("InstallPathFromRegistry", &TProject::InstallPathFromRegistry),
        Position("InstallPathRoot", &TProject::InstallPathRoot, 3),
        Text("InstallPathKey", &TProject::InstallPathKey),
        {"IncludeUninstaller",
         [](TProject& aProject, const std::string& aValue) {
             aProject.SetIncludeUninstaller(Flag("IncludeUninstaller", aValue));
         }},
        Flag("LaunchFile", &TProject::LaunchFile),
        {"LaunchFileIndex",
         [](TProject& aProject, const std::string& aValue) {
             // A position in the launch chooser; -1 chooses none.
             const int last = static_cast<int>(aProject.Summary().LaunchChoices.size()) - 1;
             aProject.SetLaunchFileIndex(Number("LaunchFileIndex", aValue, -1, last));
         }},
        Flag("RestartComputer", &TProject::RestartComputer),
    };
    return fields;
}

const TField& FieldOf(std::string_view anAssignment, std::string& aValue) {
    const size_t equals = anAssignment.find('=');
    const std::string name(anAssignment.substr(0, equals));
    if (equals == std::string_view::npos)
        throw EUsage("--set " + name + ": give a value as Field=Value");
    const auto& fields = Fields();
    const auto field =
        std::find_if(fields.begin(), fields.end(), [&](const TField& aField) { return name == aField.Name; });
    if (field == fields.end())
        throw EUsage("--set " + std::string(anAssignment) + ": no field " + name +
                     " can be set (kelpforge-cli --help lists them)");
    aValue = std::string(anAssignment.substr(equals + 1));
    return *field;
}

} // namespace

std::vector<std::string> OverridableFields() {
    std::vector<std::string> names;
    for (const TField& field : Fields())
        names.emplace_back(field.Name);
    return names;
}

void CheckFieldOverride(std::string_view anAssignment) {
    std::string value;
    FieldOf(anAssignment, value);
}

void ApplyFieldOverride(TProject& aProject, std::string_view anAssignment) {
    std::string value;
    const TField& field = FieldOf(anAssignment, value);
    field.Set(aProject, value);
}

} // namespace kf
