#include "tests/support/data_fixture.h"

namespace vornel::data {

namespace {

// Without a server (the failure recorded) the test goes on with the embedded store.
std::unique_ptr<RecordStore> StoreOfKind(test::StoreKind kind) {
  std::unique_ptr<RecordStore> store = test::MakeTestStore(kind);
  return store ? std::move(store) : MakeSqliteStore();
}

}  // namespace

DataFixture::DataFixture(test::StoreKind kind)
    : paths_(root_.path(), root_.path() / "config"),
      errors_(display_, [this] { return root_.path() / "KIVError.Log"; }),
      store_(StoreOfKind(kind)),
      context_{*store_, paths_, errors_},
      registry_(std::make_unique<FileRegistry>(context_)) {
  for (const char* dir : {"VORNEL/1/ARCS", "VORNEL/1/STATS", "VORNEL/COMMON"})
    std::filesystem::create_directories(root_.path() / dir);
  paths_.SetWorkingDirectory("\\VORNEL\\1\\");
}

DataFixture::~DataFixture() { registry_.reset(); }

void DataFixture::CreateSharedFile(const FileDef& def) {
  ASSERT_EQ(Files(def).file().Create(), kStoreOk) << def.label;
}

std::int64_t DataFixture::Count(const FileDef& def) {
  FileManager& fm = Files(def);
  fm.Open();
  fm.CheckUse(kUseReadWrite);
  std::int64_t n = fm.file().Records();
  fm.Close();
  return n;
}

std::string DataFixture::LastMessage() const {
  auto last = display_.last();
  return last ? last->request.caption + ": " + last->request.text : std::string();
}

void FillValidClient(ClientRecord& c, std::int16_t code, std::string_view last_name) {
  c.CLCODE = code;
  Set(c.CLLNAME, last_name);
  for (auto* yes_no : {&c.PAYFLG, &c.CALLOK, &c.MED_ASSIST, &c.PRIINS, &c.OUT_COUNTY, &c.PHYS_CPT,
                       &c.OUTR_STUDENT})
    Set(*yes_no, "N");
  Set(c.SEX, "F");
  Set(c.CURRENT, "A");
  Set(c.MARRYSTAT, "S");
  Set(c.MINORITY, "OTHR");
  Set(c.INTAKE, "P");
}

}  // namespace vornel::data
