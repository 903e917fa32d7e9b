#pragma once
// The record of a model a catalog field lies in (the program or the system record), as bytes.
#include "model/Bytes.h"
#include "model/FieldCatalog.h"
#include "model/Model.h"

namespace pavo {

inline const uint8_t* RecordOf(const Model& m, FieldRecord r) {
    return r == FieldRecord::Program ? BytesOf(m.current) : BytesOf(m.system);
}
inline uint8_t* RecordOf(Model& m, FieldRecord r) {
    return r == FieldRecord::Program ? BytesOf(m.current) : BytesOf(m.system);
}
inline const uint8_t* RecordOf(const Model& m, const FieldInfo& f) {
    return RecordOf(m, f.record);
}
inline uint8_t* RecordOf(Model& m, const FieldInfo& f) {
    return RecordOf(m, f.record);
}

}  // namespace pavo
