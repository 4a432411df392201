#pragma once
// The dialog's check boxes for the search fields and the result columns, as
// the catalogue of those fields lists them.

#include "search/Settings.h"

#include <cstdint>
#include <vector>

struct TSetupFlagBox {
    int32_t TOptionsRec::*Flag;
    const char* Key;     // the INI key; the box is named "chk" + Key
    const char* Caption; // the box's text
};

std::vector<TSetupFlagBox> SearchFieldBoxes();
std::vector<TSetupFlagBox> DisplayColumnBoxes();
