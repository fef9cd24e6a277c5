#include "project/FieldSplit.h"

namespace kf {

std::vector<std::string> SplitFields(std::string_view aValue, size_t aCount) {
    std::vector<std::string> fields(aCount);
    for (std::string& field : fields) {
        const size_t mark = aValue.find('?');
        if (mark == std::string_view::npos)
            break;
        field = aValue.substr(0, mark);
        aValue.remove_prefix(mark + 1);
    }
    return fields;
}

std::string JoinFields(const std::vector<std::string>& aFields) {
    std::string value;
    for (const std::string& field : aFields) {
        value += field;
        value += '?';
    }
    return value;
}

} // namespace kf
