#include "app/demo_data/demo_department.h"

#include <algorithm>
#include <span>
#include <vector>

#include "app/demo_data/demo_random.h"
#include "app/demo_data/record_batch.h"
#include "data/dictionary/dictionary.h"
#include "data/dictionary/field_access.h"
#include "data/dictionary/records.h"
#include "platform/text.h"

namespace vornel::app::demo {
namespace {

using data::ClientRecord;
using platform::DayNumber;
using platform::TimeOfDay;

// Who carries the part of a client's fees that the client does not pay.
enum class Payer : std::uint8_t { kSca, kInsurance, kInsuranceAndOther, kOsm, kMa };

struct ClientPlan {
  ClientRecord record{};
  Payer payer = Payer::kSca;
  bool outreach = false;  // a student seen by the outreach programme
  char status = 'A';
  DayNumber from = 1, to = 0;  // days the client may have visits; none when to < from
  DayNumber discharged = 0;
  int weight = 1;             // how often the client comes, relative to others
  bool needs_intake = false;  // the first visit is an intake
  bool intake_done = false;
  int fee_due_cents = 0;
  int pays_at_visit = 50;  // percent of visits paid at once
  std::string_view insurer, other_insurer, staff;
  std::int64_t balance_cents = 0;
  int posted_visits = 0, individual_visits = 0;
  DayNumber last_seen = 0;
};

struct PendingPayment {
  int client;
  std::int64_t cents;
};

// Money is worked out in whole cents and stored as dollars.
double Money(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

bool IsWorkingDay(DayNumber day) {
  int weekday = platform::WeekdayOf(day);
  return weekday != 0 && weekday != 6;
}

DayNumber NextWorkingDay(DayNumber day) {
  while (!IsWorkingDay(day)) ++day;
  return day;
}

constexpr TimeOfDay kEight = 2880001;  // 8:00
constexpr int kQuarters = 48;          // 8:00 to 20:00 in quarter hours

class DepartmentWriter {
 public:
  DepartmentWriter(const DepartmentEntry& department, const DemoOptions& options,
                   const DemoPeriod& period, data::FileRegistry& registry)
      : department_(department),
        options_(options),
        period_(period),
        registry_(registry),
        batch_(registry),
        random_(options.seed, static_cast<std::uint64_t>(department.number)) {
    for (const StaffEntry& staff : Staff()) {
      if (staff.status != 'A' && staff.type == 'P' && former_counselor_.empty())
        former_counselor_ = staff.code;
      if (staff.status != 'A') continue;
      if (staff.type == 'P') counselors_.push_back(staff.code);
      if (staff.type == 'I') intake_staff_.push_back(staff.code);
      if (staff.type == 'O') outreach_staff_.push_back(staff.code);
    }
  }

  std::string Run(DepartmentCounts* counts) {
    if (CreateEveryFile()) OpenFiles();
    if (batch_.ok()) WriteServices();
    if (batch_.ok()) WriteStudyGroups();
    if (batch_.ok()) PlanClients();
    if (batch_.ok()) WriteVisits();
    if (batch_.ok()) WriteClients();
    batch_.Finish();
    if (counts != nullptr) {
      counts->clients = batch_.added(data::ClientFile());
      counts->visits = batch_.added(data::LogFile());
      counts->charge_lines = batch_.added(data::LineitemFile());
      counts->client_payments = batch_.added(data::ClipmtsFile());
    }
    if (!batch_.ok())
      return "department " + std::to_string(department_.number) + ": " + batch_.error();
    return "";
  }

 private:
  // Text into a record field; the demo tables are made to fit, so text that
  // does not is a fault of the generator and stops it.
  template <std::size_t N>
  void Set(char (&field)[N], std::string_view text) {
    if (!platform::AssignPadded(field, text))
      batch_.Fail("\"" + std::string(text) + "\" does not fit a field of " + std::to_string(N));
  }
  template <typename T>
  std::string_view Pick(std::span<const T> items) {
    return random_.Pick(items);
  }
  std::string Digits(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random_.Below(10));
    return text;
  }
  std::string Phone() {
    return "(555)" + std::to_string(random_.Between(200, 999)) + "-" + Digits(4);
  }
  // Numbers in the 900 area are never issued, so no real person's number appears.
  std::string SocialSecurityNumber() {
    return std::to_string(random_.Between(900, 999)) + "-" +
           std::to_string(random_.Between(10, 99)) + "-" +
           std::to_string(random_.Between(1000, 9999));
  }

  bool CreateEveryFile() {
    for (const data::FileDef& def : data::AllFiles()) {
      if (def.location != data::FileLocation::kDepartment) continue;
      data::RecordFile& file = registry_.Get(def).file();
      if (!file.Exists() && file.Create() != data::kStoreOk)
        return batch_.Fail("cannot create " + std::string(def.label));
    }
    return true;
  }

  bool OpenFiles() {
    for (const data::FileDef* def :
         {&data::ServicesFile(), &data::StudygrpFile(), &data::ClientFile(), &data::Ins_cardFile(),
          &data::Cli_cmmtFile(), &data::GrpassinFile(), &data::DischargFile(), &data::LogFile(),
          &data::LineitemFile(), &data::ClipmtsFile()}) {
      if (!batch_.Open(*def)) return false;
    }
    return true;
  }

  void WriteServices() {
    for (const ServiceEntry& entry : Services()) {
      auto& s = batch_.Fresh<data::ServicesRecord>(data::ServicesFile());
      Set(s.SERVICE, entry.code);
      Set(s.DESC, entry.description);
      s.RATE = Money(entry.rate_cents);
      s.UNITMINS = static_cast<std::int16_t>(entry.unit_minutes);
      Set(s.PROC_NAME, entry.procedure);
      Set(s.MODIFIER1, entry.modifier);
      // The sliding-fee payer covers up to the whole rate of a unit.
      s.SCA_MAX = Money(entry.rate_cents);
      Set(s.GROUPFLAG, entry.group ? "Y" : "N");
      Set(s.PROT_FLG, "N");
      Set(s.OUTREACH, entry.outreach ? "Y" : "N");
      batch_.Add(data::ServicesFile());
    }
  }

  void WriteStudyGroups() {
    std::int16_t code = 0;
    for (std::string_view name : StudyGroups()) {
      auto& g = batch_.Fresh<data::StudygrpRecord>(data::StudygrpFile());
      g.CODE = ++code;
      Set(g.DESC, name);
      batch_.Add(data::StudygrpFile());
    }
  }

  // ---- clients ----

  // The first clients cover every status and every payer (active clients with
  // visits for each kind of share), so that even tiny roots have them all.
  static constexpr char kFirstStatuses[] = "APIDAAAA";
  static constexpr Payer kFirstPayers[] = {
      Payer::kMa,  Payer::kSca,       Payer::kSca, Payer::kSca, Payer::kInsuranceAndOther,
      Payer::kOsm, Payer::kInsurance, Payer::kSca};

  char ClientStatus(int code) {
    if (code <= 8) return kFirstStatuses[code - 1];
    int roll = static_cast<int>(random_.Below(100));
    return roll < 55 ? 'A' : roll < 65 ? 'P' : roll < 85 ? 'I' : 'D';
  }

  Payer ChoosePayer() {
    int roll = static_cast<int>(random_.Below(100));
    static constexpr int kOutpatient[] = {35, 60, 67, 77};
    static constexpr int kPrevention[] = {45, 55, 58, 73};
    const int* limits = department_.number == 1 ? kOutpatient : kPrevention;
    if (roll < limits[0]) return Payer::kSca;
    if (roll < limits[1]) return Payer::kInsurance;
    if (roll < limits[2]) return Payer::kInsuranceAndOther;
    if (roll < limits[3]) return Payer::kOsm;
    return Payer::kMa;
  }

  void PlanClients() {
    clients_.resize(static_cast<std::size_t>(options_.clients));
    for (int i = 0; i < options_.clients && batch_.ok(); ++i) {
      ClientPlan& plan = clients_[static_cast<std::size_t>(i)];
      PlanClient(plan, static_cast<std::int16_t>(i + 1));
      WriteCards(plan);
      WriteComments(plan);
      WriteGroupPlaces(plan);
    }
  }

  void PlanClient(ClientPlan& plan, std::int16_t code) {
    ClientRecord& r = plan.record;
    data::ClearRecord(data::ClientFile(), {reinterpret_cast<char*>(&r), sizeof r});
    const DayNumber first = period_.first_day, today = period_.today;
    r.CLCODE = code;
    plan.status = ClientStatus(code);
    plan.outreach = code > 8 && random_.Chance(department_.number == 1 ? 5 : 45);
    plan.payer = code <= 8       ? kFirstPayers[code - 1]
                 : plan.outreach ? (random_.Chance(70) ? Payer::kSca : Payer::kOsm)
                                 : ChoosePayer();

    const bool male = random_.Chance(48);
    Set(r.SEX, male ? "M" : "F");
    Set(r.CLLNAME, Pick(LastNames()));
    Set(r.CLFNAME, Pick(male ? MaleFirstNames() : FemaleFirstNames()));
    if (random_.Chance(80)) r.CLMID[0] = static_cast<char>('A' + random_.Below(26));
    const int age = plan.outreach ? random_.Between(11, 17) : random_.Between(18, 72);
    r.BIRTHDATE = today - age * 365 - static_cast<DayNumber>(random_.Below(365));

    // When the client came, and on which days visits can fall.
    switch (plan.status) {
      case 'A':
        // The first clients come from the start, and often, to show every share.
        r.ADMDATE = code <= 8 || random_.Chance(50)
                        ? first - random_.Between(30, 1000)
                        : first + static_cast<DayNumber>(random_.Below(
                                      static_cast<std::uint64_t>(std::max(1, today - first))));
        plan.from = std::max(DayNumber{r.ADMDATE}, first);
        plan.to = period_.last_day;
        plan.weight = code <= 8 ? 4 : random_.Between(1, 4);
        break;
      case 'P':
        r.ADMDATE = 0;
        plan.from = today + 1;
        plan.to = period_.last_day;
        plan.weight = 1;
        break;
      default:  // 'I', 'D': visits stopped before the last posting
        r.ADMDATE = first - random_.Between(60, 1000);
        plan.from = first;
        plan.to = period_.post_date >= first
                      ? first + static_cast<DayNumber>(random_.Below(
                                    static_cast<std::uint64_t>(period_.post_date - first + 1)))
                      : first - 1;
        plan.discharged = std::max(plan.to, DayNumber{r.ADMDATE});
        plan.weight = random_.Between(1, 3);
        break;
    }
    plan.needs_intake = plan.status == 'P' || r.ADMDATE >= first;
    r.REFER_DATE = (r.ADMDATE != 0 ? DayNumber{r.ADMDATE} : today) - random_.Between(3, 30);
    r.FIRST_SEEN = r.ADMDATE;
    Set(r.CURRENT, std::string_view(&plan.status, 1));
    Set(r.INTAKE, plan.status == 'P' ? "I" : "P");

    // Who pays.
    switch (plan.payer) {
      case Payer::kSca:
        plan.fee_due_cents = 500 * random_.Between(0, 5);
        break;
      case Payer::kInsurance:
      case Payer::kInsuranceAndOther:
        plan.fee_due_cents = 500 * random_.Between(2, 5);
        break;
      case Payer::kOsm:
        plan.fee_due_cents = 500 * random_.Between(0, 2);
        break;
      case Payer::kMa:
        plan.fee_due_cents = 0;
        break;
    }
    plan.pays_at_visit = random_.Between(20, 90);
    if (plan.payer == Payer::kInsurance || plan.payer == Payer::kInsuranceAndOther) {
      const bool first_insurer = random_.Chance(55);
      plan.insurer = first_insurer ? kFirstInsurer : kSecondInsurer;
      if (plan.payer == Payer::kInsuranceAndOther)
        plan.other_insurer = first_insurer ? kSecondInsurer : kFirstInsurer;
    }
    Set(r.PAYFLG, plan.fee_due_cents > 0 ? "Y" : "N");
    Set(r.MED_ASSIST, plan.payer == Payer::kMa ? "Y" : "N");
    Set(r.PRIINS, plan.insurer.empty() ? "N" : "Y");
    r.FEE_DUE = Money(plan.fee_due_cents);
    if (plan.payer == Payer::kMa) Set(r.CIS_NO, Digits(10));

    // Who sees the client: an outreach worker for students; a counselor who
    // has since left for some former clients.
    if (plan.outreach)
      plan.staff = outreach_staff_[random_.Below(outreach_staff_.size())];
    else if ((plan.status == 'I' || plan.status == 'D') && !former_counselor_.empty() &&
             random_.Chance(30))
      plan.staff = former_counselor_;
    else
      plan.staff = counselors_[random_.Below(counselors_.size())];
    Set(r.STAFF_ID, plan.staff);

    const DiagnosisEntry& diagnosis = Diagnoses()[random_.Below(Diagnoses().size())];
    Set(r.DIAG_CODE, diagnosis.code);
    Set(r.DIAGNOSIS, diagnosis.short_name);
    r.INCOME = plan.outreach ? 0.0 : 1000.0 * random_.Between(0, 65);
    Set(r.ADDRESS1, std::to_string(random_.Between(1, 4999)) + " " + std::string(Pick(Streets())));
    if (random_.Chance(15))
      Set(r.ADDRESS2, "Apt " + std::to_string(random_.Between(1, 30)) +
                          static_cast<char>('A' + random_.Below(4)));
    const Town& town = random_.Pick(Towns());
    Set(r.CITY, town.city);
    Set(r.ST, town.state);
    Set(r.ZIP, town.zip);
    Set(r.PHONE, Phone());
    Set(r.CALLOK, random_.Chance(85) ? "Y" : "N");
    Set(r.SOC_SEC_NO, SocialSecurityNumber());
    Set(r.REF_BY, plan.outreach ? std::string_view("School counselor") : Pick(ReferralSources()));
    Set(r.OUT_COUNTY, random_.Chance(8) ? "Y" : "N");
    const int marital = static_cast<int>(random_.Below(100));
    Set(r.MARRYSTAT, age < 18 || marital < 45 ? "S" : marital < 80 ? "M" : "D");
    const bool physical = r.ADMDATE != 0 && random_.Chance(40);
    Set(r.PHYS_CPT, physical ? "Y" : "N");
    if (physical) r.PHYS_DATE = r.ADMDATE + random_.Between(0, 60);
    if (plan.outreach) Set(r.OUTR_FACILTY, Pick(Schools()));
    Set(r.OUTR_STUDENT, plan.outreach ? "Y" : "N");
    const int race = static_cast<int>(random_.Below(100));
    Set(r.MINORITY, race < 60   ? "WHIT"
                    : race < 78 ? "BLAC"
                    : race < 90 ? "HISP"
                    : race < 95 ? "ASIA"
                                : "OTHR");
  }

  void WriteCard(const ClientPlan& plan, std::string_view vendor, double will_pay) {
    const ClientRecord& r = plan.record;
    auto& card = batch_.Fresh<data::Ins_cardRecord>(data::Ins_cardFile());
    Set(card.VEN_CODE, vendor);
    card.CLCODE = r.CLCODE;
    Set(card.SSN, platform::ReadField(r.SOC_SEC_NO));
    card.INS_SEX[0] = r.SEX[0];
    card.WILL_PAY = will_pay;
    if (vendor == kMaPayer) {
      Set(card.VEN_TYPE, "MA");
      Set(card.RECIPIENT, platform::ReadField(r.CIS_NO));
      Set(card.CO_PREL, "01");
      Set(card.M_CAT, random_.Chance(70) ? "PH" : "MN");
      Set(card.M_CTRDIG, Digits(1));
      Set(card.M_LINE, "01");
      Set(card.M_RESCODE, "A");
    } else {
      Set(card.VEN_TYPE, "IN");
      Set(card.RECIPIENT, "XK" + Digits(9));
      Set(card.CO_PREL, random_.Chance(75) ? "01" : "02");
      Set(card.B_GRPNAME, Pick(Employers()));
      Set(card.B_GRPNUM, "G" + Digits(7));
      std::string insured = std::string(platform::ReadField(r.CLLNAME)) + ", " +
                            std::string(platform::ReadField(r.CLFNAME));
      // The claim form prints the insured's name in 17 places.
      Set(card.B_INS_NAME, platform::Cut(insured, sizeof card.B_INS_NAME));
      Set(card.B_PAC, "PAC" + Digits(5));
      Set(card.SSNADDER, "01");
    }
    batch_.Add(data::Ins_cardFile());
  }

  void WriteCards(const ClientPlan& plan) {
    if (plan.payer == Payer::kMa) WriteCard(plan, kMaPayer, 100.0);
    if (!plan.insurer.empty())
      WriteCard(plan, plan.insurer, plan.other_insurer.empty() ? 80.0 : 60.0);
    if (!plan.other_insurer.empty()) WriteCard(plan, plan.other_insurer, 20.0);
  }

  void WriteComments(const ClientPlan& plan) {
    const int count = random_.Chance(50) ? random_.Between(1, 2) : 0;
    const DayNumber since = plan.record.ADMDATE != 0 ? plan.record.ADMDATE : plan.record.REFER_DATE;
    for (int i = 0; i < count; ++i) {
      auto& comment = batch_.Fresh<data::Cli_cmmtRecord>(data::Cli_cmmtFile());
      comment.CLI_CODE = plan.record.CLCODE;
      Set(comment.COMMENT, Pick(ClientComments()));
      comment.COM_DATE = since + static_cast<DayNumber>(random_.Below(static_cast<std::uint64_t>(
                                     std::max(1, period_.today - since + 1))));
      batch_.Add(data::Cli_cmmtFile());
    }
  }

  void WriteGroupPlaces(const ClientPlan& plan) {
    if (plan.status == 'P' || !random_.Chance(40)) return;
    const int groups = static_cast<int>(StudyGroups().size());
    const int first = random_.Between(1, groups);
    const int second = groups > 1 && random_.Chance(10) ? first % groups + 1 : 0;
    for (int group : {first, second}) {
      if (group == 0) continue;
      auto& place = batch_.Fresh<data::GrpassinRecord>(data::GrpassinFile());
      place.CLI_CODE = plan.record.CLCODE;
      place.GRP_CODE = static_cast<std::int16_t>(group);
      Set(place.LASTNAME, platform::ReadField(plan.record.CLLNAME));
      batch_.Add(data::GrpassinFile());
    }
  }

  // ---- visits ----

  struct Shares {
    std::int64_t total = 0, fee_due = 0, paid = 0, not_collected = 0;
    std::int64_t ma = 0, insurance = 0, other = 0, osm = 0, sca = 0;
  };

  std::string_view ChooseService(ClientPlan& plan) {
    if (plan.needs_intake && !plan.intake_done) {
      plan.intake_done = true;
      return kIntakeService;
    }
    const int roll = static_cast<int>(random_.Below(100));
    if (plan.outreach) return roll < 80 ? kOutreachService : kGroupService;
    if (plan.payer == Payer::kMa)
      return roll < 55 ? kMaService : roll < 80 ? kGroupService : kIndividualService;
    return roll < 65 ? kIndividualService : roll < 95 ? kGroupService : kOutreachService;
  }

  std::string_view Outcome(DayNumber day) {
    const int roll = static_cast<int>(random_.Below(100));
    if (day > period_.today) return roll < 92 ? "SCHED" : roll < 97 ? "CANC" : "RESCH";
    if (day > period_.post_date && roll < 4) return "SCHED";  // outcome not recorded yet
    return roll < 78 ? "SHOW" : roll < 88 ? "NOSHW" : roll < 96 ? "CANC" : "RESCH";
  }

  int Minutes(std::string_view service) {
    static constexpr int kIndividual[] = {45, 50, 52, 60, 75};
    static constexpr int kMa[] = {50, 60};
    static constexpr int kIntake[] = {60, 75, 90};
    static constexpr int kOutreach[] = {30, 45, 60, 90, 120};
    if (service == kGroupService) return 90;
    if (service == kMaService) return random_.Pick(std::span<const int>(kMa));
    if (service == kIntakeService) return random_.Pick(std::span<const int>(kIntake));
    if (service == kOutreachService) return random_.Pick(std::span<const int>(kOutreach));
    return random_.Pick(std::span<const int>(kIndividual));
  }

  // A start that keeps the staff member free, if one is found in a few tries;
  // at benchmark sizes the day is simply full and visits overlap.
  int StartQuarter(std::size_t staff, int quarters) {
    const int latest = std::min(36, kQuarters - quarters);
    std::uint64_t mask = (std::uint64_t{1} << quarters) - 1;
    int start = 0;
    for (int attempt = 0; attempt < 6; ++attempt) {
      start = random_.Between(0, latest);
      if ((busy_[staff] & (mask << start)) == 0) break;
    }
    busy_[staff] |= mask << start;
    return start;
  }

  std::size_t StaffIndex(std::string_view code) const {
    for (std::size_t i = 0; i < Staff().size(); ++i)
      if (Staff()[i].code == code) return i;
    return 0;
  }

  // The fee split of a shown visit, in the order the visit form works it out:
  // the client's share first, then the payers', the sliding-fee payer last.
  Shares Split(const ClientPlan& plan, std::string_view service, std::int64_t total) {
    Shares s;
    s.total = total;
    s.fee_due = std::min<std::int64_t>(plan.fee_due_cents, total);
    if (random_.Chance(plan.pays_at_visit))
      s.paid = s.fee_due;
    else if (random_.Chance(15))
      s.paid = s.fee_due / 2;
    s.not_collected = s.fee_due - s.paid;
    const std::int64_t rest = total - s.fee_due;
    switch (plan.payer) {
      case Payer::kMa:
        if (service == kMaService) s.ma = rest;
        break;
      case Payer::kInsurance:
        s.insurance = (rest * 80 + 50) / 100;
        break;
      case Payer::kInsuranceAndOther:
        s.insurance = (rest * 60 + 50) / 100;
        s.other = (rest * 20 + 50) / 100;
        break;
      case Payer::kOsm:
        s.osm = rest / 2;
        break;
      case Payer::kSca:
        break;
    }
    const std::int64_t client = s.fee_due != 0 ? s.fee_due : s.not_collected;
    s.sca = total - s.ma - s.insurance - s.other - client - s.osm;
    return s;
  }

  void WriteLine(std::int32_t log_no, const ClientPlan& plan, DayNumber day,
                 std::string_view vendor, std::string_view service, std::int64_t due) {
    auto& line = batch_.Fresh<data::LineitemRecord>(data::LineitemFile());
    line.LOG_NO = log_no;
    Set(line.VEN_CODE, vendor);
    line.CLCODE = plan.record.CLCODE;
    line.AMOUNT_DUE = Money(due);
    line.SERV_DATE = day;
    Set(line.CLI_XXX, platform::Cut(platform::ReadField(plan.record.CLLNAME), 3));
    line.MA_UNITS = 1;
    Set(line.LINE_SVC, service);
    // Older charges have mostly been paid by their payer in full.
    if (day <= period_.post_date - 30 && random_.Chance(85)) {
      Set(line.STATUS, "P");
      line.DATE_PAID = std::min(period_.post_date, day + random_.Between(21, 60));
      line.AMOUNT = line.AMOUNT_DUE;
    } else {
      Set(line.STATUS, "O");
    }
    batch_.Add(data::LineitemFile());
  }

  // A client payment record; one dated on or before the last posting date
  // has been applied to the balance by posting.
  void WriteClientRecord(ClientPlan& plan, DayNumber day, TimeOfDay time, std::int64_t paid,
                         std::int64_t charges, std::int32_t log_no, bool closed,
                         DayNumber paid_on) {
    auto& cpy = batch_.Fresh<data::ClipmtsRecord>(data::ClipmtsFile());
    cpy.CLCODE = plan.record.CLCODE;
    cpy.DATE = day;
    cpy.TIME = time;
    cpy.AMOUNT = Money(paid);
    cpy.CHARGES = Money(charges);
    cpy.LOG_NO = log_no;
    Set(cpy.STATUS, closed ? "C" : "O");
    cpy.PAYDATE = paid_on;
    if (day <= period_.post_date) {
      cpy.PREVBAL = Money(plan.balance_cents);
      plan.balance_cents += charges - paid;
      cpy.NEWBAL = Money(plan.balance_cents);
    }
    batch_.Add(data::ClipmtsFile());
  }

  void WriteVisit(std::size_t client_index, DayNumber day) {
    ClientPlan& plan = clients_[client_index];
    const std::string_view service_code = ChooseService(plan);
    const ServiceEntry& service = *FindService(service_code);
    std::string_view staff = plan.staff;
    if (service_code == kIntakeService)
      staff = intake_staff_[random_.Below(intake_staff_.size())];
    else if (service_code == kOutreachService && !plan.outreach)
      staff = outreach_staff_[random_.Below(outreach_staff_.size())];
    const std::string_view outcome = Outcome(day);

    // Groups meet at fixed hours; other visits take a free slot of the staff member.
    const int minutes = Minutes(service_code);
    TimeOfDay time_in;
    if (service.group) {
      static constexpr int kGroupHour[] = {18, 18, 10, 18, 10, 13, 18};
      time_in = platform::TimeFromHms(kGroupHour[platform::WeekdayOf(day)], 0);
    } else {
      time_in =
          kEight + StartQuarter(StaffIndex(staff), (minutes + 14) / 15) * 15 * platform::kOneMinute;
    }
    const TimeOfDay time_out = time_in + minutes * platform::kOneMinute;

    // Units: worked minutes cut to whole quarter hours over the service's
    // minutes per unit; an MA session counts as the one unit typed in.
    std::int64_t units = 100;  // hundredths
    if (service_code != kMaService) {
      const int worked = (time_out - time_in) / platform::kOneMinute / 15 * 15;
      units = (worked * 200 / service.unit_minutes + 1) / 2;
    }
    const std::int64_t total = (units * service.rate_cents + 50) / 100;

    auto& visit = batch_.Fresh<data::LogRecord>(data::LogFile());
    const std::int32_t log_no = ++log_no_;
    visit.LOG_NO = log_no;
    visit.CLCODE = plan.record.CLCODE;
    visit.LOG_DATE = day;
    Set(visit.EMPL_CODE, staff);
    Set(visit.TRANS_TYPE, outcome);
    visit.TIME_IN = time_in;
    visit.TIME_OUT = time_out;
    Set(visit.SERV_CODE, service_code);
    Set(visit.GROUPFLAG, service.group ? "Y" : "N");
    if (random_.Chance(8)) Set(visit.COMMENT, Pick(VisitComments()));
    Shares shares;
    if (outcome != "SCHED") {
      // Cancelled and missed visits keep their units and rate, but no fee.
      visit.UNITS = static_cast<double>(units) / 100.0;
      visit.RATE = Money(service.rate_cents);
    }
    if (outcome == "SHOW") {
      shares = Split(plan, service_code, total);
      visit.TOTAL_FEE = Money(shares.total);
      visit.CLI_PAID = Money(shares.paid);
      visit.CLIFEEDUE = Money(shares.fee_due);
      visit.CLIFEENC = Money(shares.not_collected);
      visit.BILLTOMA = Money(shares.ma);
      visit.BILLINS = Money(shares.insurance);
      visit.OTHERFEE = Money(shares.other);
      visit.OSMFEE = Money(shares.osm);
      visit.BALSCA = Money(shares.sca);
    }
    if (!batch_.Add(data::LogFile()) || outcome != "SHOW") return;

    // Charge lines, in the order the visit form's auto insert writes them.
    if (shares.ma > 0) {
      WriteLine(log_no, plan, day, kMaPayer, "MA1", 0);
      if (!service.group) WriteLine(log_no, plan, day, kMaPayer, "MA2", 0);
    }
    if (shares.sca > 0) WriteLine(log_no, plan, day, kScaPayer, service_code, shares.sca);
    if (shares.osm > 0) WriteLine(log_no, plan, day, kOsmPayer, service_code, shares.osm);
    if (shares.insurance > 0)
      WriteLine(log_no, plan, day, plan.insurer, service_code, shares.insurance);
    if (shares.other > 0)
      WriteLine(log_no, plan, day, plan.other_insurer, service_code, shares.other);

    if (day <= period_.post_date) {
      // What posting did with the visit (monthly postings).
      if (++plan.posted_visits > INT16_MAX)
        batch_.Fail("a client has more visits than CLI:NUM_VSTS holds");
      if (service_code == kIndividualService) ++plan.individual_visits;
      plan.last_seen = day;
      if (shares.fee_due > 0) {
        const bool closed = shares.not_collected <= 0;
        const platform::CivilDate month = platform::CivilFromDay(day);
        WriteClientRecord(plan, day, 0, shares.paid, shares.fee_due, log_no, closed,
                          closed ? platform::DateFromMdy(month.month, 1, month.year) : 0);
      }
    }
    // Some clients pay what they owed later, at the front desk.
    if (shares.not_collected > 0 && random_.Chance(60)) {
      const DayNumber pay_day = NextWorkingDay(day + random_.Between(3, 40));
      if (pay_day <= period_.today) {
        const std::int64_t amount = random_.Chance(70)
                                        ? shares.not_collected
                                        : std::max<std::int64_t>(1, shares.not_collected / 2);
        payments_[static_cast<std::size_t>(pay_day - period_.first_day)].push_back(
            {static_cast<int>(client_index), amount});
      }
    }
  }

  void WriteVisits() {
    const DayNumber first = period_.first_day, last = period_.last_day;
    std::int64_t working_days = 0;
    for (DayNumber day = first; day <= last; ++day) working_days += IsWorkingDay(day) ? 1 : 0;
    const std::int64_t visits = options_.VisitsPerDepartment();
    payments_.assign(static_cast<std::size_t>(last - first + 1), {});

    std::vector<std::size_t> eligible;
    std::vector<std::int64_t> cumulative;
    std::int64_t working_day = 0, carried = 0;
    for (DayNumber day = first; day <= last && batch_.ok(); ++day) {
      for (const PendingPayment& payment : payments_[static_cast<std::size_t>(day - first)]) {
        ClientPlan& plan = clients_[static_cast<std::size_t>(payment.client)];
        const TimeOfDay time =
            platform::TimeFromHms(random_.Between(9, 16), 15 * random_.Between(0, 3));
        WriteClientRecord(plan, day, time, payment.cents, 0, 0, true, day);
      }
      if (!IsWorkingDay(day)) continue;
      std::int64_t quota =
          visits * (working_day + 1) / working_days - visits * working_day / working_days;
      ++working_day;
      quota += carried;
      carried = 0;
      eligible.clear();
      cumulative.clear();
      std::int64_t weights = 0;
      for (std::size_t i = 0; i < clients_.size(); ++i) {
        if (clients_[i].from > day || clients_[i].to < day) continue;
        weights += clients_[i].weight;
        eligible.push_back(i);
        cumulative.push_back(weights);
      }
      if (eligible.empty()) {
        carried = quota;  // nobody can come today: the visits move to the next day
        continue;
      }
      std::fill(busy_.begin(), busy_.end(), 0);
      for (std::int64_t v = 0; v < quota && batch_.ok(); ++v) {
        const auto pick =
            static_cast<std::int64_t>(random_.Below(static_cast<std::uint64_t>(weights)));
        const std::size_t at = static_cast<std::size_t>(
            std::upper_bound(cumulative.begin(), cumulative.end(), pick) - cumulative.begin());
        WriteVisit(eligible[at], day);
      }
    }
  }

  void WriteClients() {
    for (ClientPlan& plan : clients_) {
      ClientRecord& r = plan.record;
      r.BAL_DUE = Money(plan.balance_cents);
      r.LAST_SEEN = plan.last_seen;
      r.NUM_VSTS = static_cast<std::int16_t>(plan.posted_visits);
      r.IND_VSTS = static_cast<std::int16_t>(plan.individual_visits);
      batch_.Fresh<ClientRecord>(data::ClientFile()) = r;
      if (!batch_.Add(data::ClientFile())) return;
      if (plan.status != 'D') continue;
      auto& d = batch_.Fresh<data::DischargRecord>(data::DischargFile());
      d.CLCODE = r.CLCODE;
      d.LAST_TREAT = plan.last_seen != 0 ? plan.last_seen : plan.discharged;
      d.REASON = static_cast<std::uint8_t>(random_.Between(1, 6));
      d.DRUG1 = static_cast<std::int16_t>(random_.Between(1, 12));
      d.SEVERITY1 = static_cast<std::uint8_t>(random_.Between(1, 3));
      d.FREQ1 = static_cast<std::uint8_t>(random_.Between(1, 5));
      d.TAKEN1 = static_cast<std::uint8_t>(random_.Between(1, 4));
      d.EDU_GRADE = static_cast<std::int16_t>(random_.Between(8, 16));
      d.MARRIED = static_cast<std::uint8_t>(r.MARRYSTAT[0] == 'M' ? 1 : 2);
      d.EMPLOYMENT = static_cast<std::uint8_t>(random_.Between(1, 4));
      Set(d.STAFF_ID, platform::Cut(platform::ReadField(r.STAFF_ID), 3));
      batch_.Add(data::DischargFile());
    }
  }

  const DepartmentEntry& department_;
  const DemoOptions& options_;
  const DemoPeriod period_;
  data::FileRegistry& registry_;
  RecordBatch batch_;
  DemoRandom random_;
  std::vector<std::string_view> counselors_, intake_staff_, outreach_staff_;
  std::string_view former_counselor_;  // an inactive counselor, for former clients
  std::vector<ClientPlan> clients_;
  std::vector<std::vector<PendingPayment>> payments_;  // by day from first_day
  // Quarter hours taken today, per staff member (in the order of Staff()).
  std::vector<std::uint64_t> busy_ = std::vector<std::uint64_t>(Staff().size());
  std::int32_t log_no_ = 0;
};

}  // namespace

DemoPeriod MakeDemoPeriod(DayNumber today, int months) {
  const platform::CivilDate date = platform::CivilFromDay(today);
  DemoPeriod period;
  period.today = today;
  period.last_day = platform::LastDayOfMonth(today);
  period.first_day = platform::DateFromMdy(date.month - (months - 1), 1, date.year);
  period.post_date = platform::DateFromMdy(date.month, 1, date.year) - 1;
  return period;
}

std::string WriteDemoDepartment(const DepartmentEntry& department, const DemoOptions& options,
                                const DemoPeriod& period, data::FileRegistry& registry,
                                DepartmentCounts* counts) {
  return DepartmentWriter(department, options, period, registry).Run(counts);
}

}  // namespace vornel::app::demo
