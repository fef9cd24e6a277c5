#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kf {

// Visible rows with the runtime lines that the installer reads, kept position for position.
// A project file may hold different counts of both; every operation here keeps positions aligned.
template <typename Row> class TRowsWithLines {
public:
    const std::vector<Row>& Rows() const { return fRows; }
    const std::vector<std::string>& Lines() const { return fLines; }

    void Append(Row aRow, std::string aLine) {
        fRows.push_back(std::move(aRow));
        fLines.push_back(std::move(aLine));
    }

    void RemoveAt(std::size_t aPosition) {
        if (aPosition < fLines.size())
            fLines.erase(fLines.begin() + static_cast<std::ptrdiff_t>(aPosition));
        if (aPosition < fRows.size())
            fRows.erase(fRows.begin() + static_cast<std::ptrdiff_t>(aPosition));
    }

    void Clear() {
        fRows.clear();
        fLines.clear();
    }

    void ReplaceLine(std::size_t aPosition, std::string aLine) { fLines.at(aPosition) = std::move(aLine); }
    void ReplaceRows(std::vector<Row> aRows) { fRows = std::move(aRows); }
    void ReplaceLines(std::vector<std::string> aLines) { fLines = std::move(aLines); }

private:
    std::vector<Row> fRows;
    std::vector<std::string> fLines;
};

} // namespace kf
