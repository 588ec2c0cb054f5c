#include "data/store/record_file.h"

#include <cstring>

namespace vornel::data {

RecordFile::RecordFile(const FileDef& def)
    : def_(def), buffer_(std::make_unique<char[]>(def.record_size)) {
  ClearBuffer();
}

void RecordFile::ClearBuffer() {
  std::memset(buffer_.get(), 0, def_.record_size);
  for (const FieldDef& field : def_.fields) {
    if (field.type == FieldType::kText) std::memset(buffer_.get() + field.offset, ' ', field.width);
  }
}

}  // namespace vornel::data
