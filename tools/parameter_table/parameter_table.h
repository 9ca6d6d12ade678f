// The camera's parameters as python/kolvex/parameters.json describes them
// (name, export pair, unit, range, default, whether the camera keeps them),
// compiled in so that every tool describes them in the same words.
#pragma once

#include <vector>

struct ParameterInfo {
    const char* name;
    int id;  // of Kolvex_GetFilterValue / Kolvex_SetFilterValue; 0 for the others
    const char* getter;
    const char* setter;
    const char* unit;
    int min;
    int max;
    int defaultValue;
    int step;
    bool kept;           // stored per camera at release, loaded at the next start
    const char* viewOf;  // the rows this one is another view of, or ""
    const char* meaning;
    const char* values;  // the only values allowed, comma-separated, or ""
};

// Every row, in the table's order.
const std::vector<ParameterInfo>& ParameterTable();
// The row named `name` ("gamma"); null when there is none.
const ParameterInfo* FindParameterRow(const char* name);
