#pragma once
// The words people read for the parts of a field's path (model/FieldCatalog.h), in both UI languages:
// blocks ("Mic12": "话筒1&2" / "Mic 1&2"), the records of a block ("Eq": "EQ 频段%1" / "EQ band %1",
// %1 standing for the band number), system settings, and the last part of a path ("GainCode": "增益" /
// "gain"). The undo menu names its steps with them; pavo-cli lists every field with its name.
#include <string>
#include <string_view>

#include "model/FieldCatalog.h"

namespace pavo {

struct FieldWords {
    const char* key;
    const char* chinese;
    const char* english;
};

// Null for a key without words of its own.
const FieldWords* BlockWords(std::string_view key);    // blocks and single fields of the program image
const FieldWords* RecordWords(std::string_view key);   // records inside a block; "%1" takes the index
const FieldWords* BandSetWords(std::string_view key);  // several bands of one kind together
const FieldWords* SystemWords(std::string_view key);   // the settings of the system record
const FieldWords* LeafWords(std::string_view key);     // the codes of a record ("GainCode", "Attack")

// A field's whole name in both languages: "Scene 2 Out 1 EQ band 3 gain" / "场景2 输出1 EQ 频段3 增益".
struct FieldName {
    std::string chinese;
    std::string english;
};
FieldName NameOfField(const FieldInfo& field);

}  // namespace pavo
