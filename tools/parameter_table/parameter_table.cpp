#include "parameter_table.h"

#include <cstring>

// Made on first use, so that other tables' initialisers may read it.
const std::vector<ParameterInfo>& ParameterTable() {
    static const std::vector<ParameterInfo> table = {
#include "parameter_table.inc"
    };
    return table;
}

const ParameterInfo* FindParameterRow(const char* name) {
    for (const ParameterInfo& p : ParameterTable())
        if (std::strcmp(p.name, name) == 0) return &p;
    return nullptr;
}
