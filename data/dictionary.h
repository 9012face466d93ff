// The data dictionary: what every keyed data file of the application holds
// (files, fields, keys, relations). Loading in dict_load.h, building in
// dict_define.h, questions in dict_query.h, the records in dict_types.h.
#pragma once

#include "data/dict_define.h"
#include "data/dict_load.h"
#include "data/dict_query.h"
#include "data/dict_types.h"
