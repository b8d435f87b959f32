// Texts from a string table that carry a place for a value ("Current Controller Firmware
// Version: %s"). A table's text is never handed to printf: a translated or edited text with
// other conversion characters would read arguments that are not there. The value is put in by
// hand instead.
#pragma once

#include "OrvCore.h"

// The format with its first "%s" replaced by the value, literally; every other character, any
// other '%' included, stays as it is. Without a "%s" the format is returned unchanged.
Orv::WString SubstituteFirst(const Orv::WString& format, const Orv::WString& value);
