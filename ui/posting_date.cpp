#include "ui/posting_date.h"

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"

namespace vornel::ui {

std::int32_t CurrentPostDate(data::FileRegistry& files, ProgramValues& values) {
  if (values.post_date_override != 0) return values.last_post_date;
  data::FileManager& departments = files.Get(data::DepartmentsFile());
  if (departments.Open() != 0) return values.last_post_date;
  if (departments.EnsurePhysicallyOpen() != 0) {
    departments.Close();
    return values.last_post_date;
  }
  // The caller's department record stays as it was.
  const int saved = departments.SaveFile();
  data::RecordFile& file = departments.file();
  file.ClearBuffer();
  departments.record<data::DepartmentsRecord>().DEPT_NO = values.department;
  if (file.GetByKey(*data::DepartmentsFile().PrimaryKey()) == data::kStoreOk) {
    const std::int32_t stored = departments.record<data::DepartmentsRecord>().POSTDATE;
    if (stored > values.last_post_date) values.last_post_date = stored;
  }
  departments.RestoreFile(saved);
  departments.Close();
  return values.last_post_date;
}

}  // namespace vornel::ui
