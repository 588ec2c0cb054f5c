#include "app/demo_data/demo_catalog.h"

namespace vornel::app::demo {
namespace {

constexpr StaffEntry kStaff[] = {
    {"AMO01", "Amos", "Ruth", "Counselor", "MSW, LCSW", 'A', 'P'},
    {"BEL02", "Bellamy", "Marcus", "Counselor", "MA, LPC", 'A', 'P'},
    {"CHE03", "Chen", "Lydia", "Senior Counselor", "MEd, CAC", 'A', 'P'},
    {"DUR04", "Duran", "Hector", "Counselor", "BA, CADC", 'A', 'P'},
    {"ELL05", "Ellison", "Grace", "Clinical Supervisor", "PhD", 'A', 'P'},
    {"FOS06", "Foster", "Nathan", "Counselor", "MSW", 'I', 'P'},
    {"GAR07", "Garcia", "Maria", "Intake Coordinator", "BSW", 'A', 'I'},
    {"HAL08", "Hall", "Denise", "Intake Specialist", "BA", 'A', 'I'},
    {"IVE09", "Iverson", "Paul", "Intake Specialist", "BA", 'I', 'I'},
    {"JOR10", "Jordan", "Keisha", "Outreach Specialist", "BS", 'A', 'O'},
    {"KIM11", "Kim", "Daniel", "Prevention Educator", "MPH", 'A', 'O'},
    {"LAW12", "Lawson", "Brenda", "Office Manager", "AA", 'I', 'O'},
};

constexpr VendorEntry kVendors[] = {
    {"MA1", "Medical Assistance", "Dept. of Human Services", "PO Box 8043", "Harrisford", "PA",
     "171058043", "Provider Services", "(555)201-4400", "0038211", "MA CLAIMS UNIT",
     "MEDICAL ASSISTANCE"},
    {"SCA", "Single County Authority", "County Office Building", "220 Court Street", "Millbrook",
     "PA", "170010220", "Fiscal Office", "(555)201-5120", "SCA0421", "FEE FOR SERVICE",
     "SINGLE COUNTY AUTH."},
    {"OSM", "OSM Program Fund", "Office of Special Mgmt.", "45 Market Square", "Millbrook", "PA",
     "170010045", "Grant Manager", "(555)201-6330", "OSM0421", "PROGRAM FUND", "OSM PROGRAM FUND"},
    {"BCB", "Blue Crest Benefit Plan", "Claims Department", "1800 Summit Parkway", "Camp Ridge",
     "PA", "170110018", "Claims Service", "(555)301-7700", "BC55210", "GROUP HEALTH CLAIMS",
     "BLUE CREST BENEFIT"},
    {"AET", "Aetos Health Insurance", "Behavioral Health Claims", "PO Box 90122", "Laurel Bay",
     "PA", "190210122", "Member Services", "(555)401-2288", "AE10877", "BEHAVIORAL HEALTH",
     "AETOS HEALTH INS."},
};

constexpr DiagnosisEntry kDiagnoses[] = {
    {"303.90", "3039", "ALCOHOL DEP", "Alcohol dependence, unspecified"},
    {"305.00", "3050", "ALCOHOL ABU", "Alcohol abuse, unspecified"},
    {"304.00", "3040", "OPIOID DEP", "Opioid type dependence, unspecified"},
    {"304.20", "3042", "COCAINE DEP", "Cocaine dependence, unspecified"},
    {"304.30", "3043", "CANNABIS DEP", "Cannabis dependence, unspecified"},
    {"305.20", "3052", "CANNABIS ABU", "Cannabis abuse, unspecified"},
    {"305.60", "3056", "COCAINE ABU", "Cocaine abuse, unspecified"},
    {"304.80", "3048", "POLYSUBST", "Combinations of drug dependence excluding opioids"},
    {"296.30", "2963", "MAJOR DEPR", "Major depressive disorder, recurrent episode"},
    {"300.02", "3000", "GEN ANXIETY", "Generalized anxiety disorder"},
    {"309.81", "3098", "PTSD", "Posttraumatic stress disorder"},
    {"V71.09", "V710", "NO DIAGNOSIS", "Observation for other suspected mental condition"},
};

constexpr ServiceEntry kServices[] = {
    {"INDV", "Individual Counseling", 1850, 15, "H0004", "HF", false, false},
    {"MA1", "MA Individual Therapy", 7200, 60, "90806", "", false, false},
    {"GRP", "Group Counseling", 625, 15, "H0005", "HQ", true, false},
    {"INTK", "Intake Assessment", 9600, 60, "H0001", "", false, false},
    {"OUTR", "Outreach / Prevention", 2250, 30, "H0025", "", false, true},
};

constexpr DepartmentEntry kDepartments[] = {
    {1, "OUTPATIENT", "RIVERBEND OUTPATIENT", "11", "04213871", "42138701", "01", "DR. ALAN MERCER",
     "MD048213", "1", "01", "11", "23-1234567", 'A'},
    {2, "PREVENTION", "RIVERBEND PREVENTION", "11", "04213872", "42138702", "01", "DR. ALAN MERCER",
     "MD048213", "1", "01", "99", "23-1234568", 'A'},
};

constexpr std::string_view kStudyGroups[] = {
    "Monday Relapse Prevention",
    "Wednesday Women's Recovery Group",
    "Thursday Teen Coping Skills",
    "Family Education Evening",
};

constexpr std::string_view kLastNames[] = {
    "Smith",    "Johnson", "Williams", "Brown",      "Jones",  "Miller",   "Davis",    "Wilson",
    "Anderson", "Taylor",  "Thomas",   "Moore",      "Martin", "Jackson",  "Thompson", "White",
    "Harris",   "Clark",   "Lewis",    "Robinson",   "Walker", "Young",    "Allen",    "King",
    "Wright",   "Scott",   "Green",    "Baker",      "Adams",  "Nelson",   "Hill",     "Campbell",
    "Mitchell", "Roberts", "Carter",   "Phillips",   "Evans",  "Turner",   "Torres",   "Parker",
    "Collins",  "Edwards", "Stewart",  "Morris",     "Murphy", "Cook",     "Rogers",   "Morgan",
    "Peterson", "Cooper",  "Reed",     "Bailey",     "Bell",   "Gomez",    "Kelly",    "Howard",
    "Ward",     "Cox",     "Diaz",     "Richardson", "Wood",   "Watson",   "Brooks",   "Bennett",
    "Gray",     "James",   "Reyes",    "Cruz",       "Hughes", "Price",    "Myers",    "Long",
    "Foster",   "Sanders", "Ross",     "Morales",    "Powell", "Sullivan", "Russell",  "Ortiz",
};

constexpr std::string_view kMaleFirstNames[] = {
    "James",  "John",    "Robert", "Michael", "William", "David", "Richard", "Joseph",
    "Thomas", "Charles", "Daniel", "Matthew", "Anthony", "Mark",  "Donald",  "Steven",
    "Paul",   "Andrew",  "Joshua", "Kenneth", "Kevin",   "Brian", "George",  "Timothy",
    "Ronald", "Jason",   "Edward", "Jeffrey", "Ryan",    "Jacob", "Gary",    "Nicholas",
};

constexpr std::string_view kFemaleFirstNames[] = {
    "Mary",     "Patricia",  "Jennifer", "Linda",    "Elizabeth", "Barbara",  "Susan",    "Jessica",
    "Sarah",    "Karen",     "Lisa",     "Nancy",    "Betty",     "Margaret", "Sandra",   "Ashley",
    "Kimberly", "Emily",     "Donna",    "Michelle", "Carol",     "Amanda",   "Dorothy",  "Melissa",
    "Deborah",  "Stephanie", "Rebecca",  "Sharon",   "Laura",     "Cynthia",  "Kathleen", "Amy",
};

constexpr std::string_view kStreets[] = {
    "Maple Street",  "Oak Avenue",      "Cedar Lane",   "Pine Street",      "Elm Street",
    "Walnut Street", "Chestnut Street", "Spruce Road",  "Market Street",    "Church Street",
    "Mill Road",     "River Road",      "Ridge Avenue", "Hillside Drive",   "Park Avenue",
    "Orchard Lane",  "Locust Street",   "Front Street", "Valley View Road", "School Street",
};

constexpr Town kTowns[] = {
    {"Millbrook", "PA", "17001"},   {"Camp Ridge", "PA", "17011"},  {"Laurel Bay", "PA", "19021"},
    {"Harrisford", "PA", "17105"},  {"Cedar Falls", "PA", "17024"}, {"New Hollow", "PA", "17037"},
    {"Stony Point", "PA", "17050"}, {"Riverbend", "PA", "17003"},
};

constexpr std::string_view kReferralSources[] = {
    "Self",
    "Family member",
    "Family Court",
    "County Probation Office",
    "School counselor",
    "Family physician",
    "Memorial Hospital ER",
    "Employee assistance program",
    "DUI program",
    "Children and Youth Services",
};

constexpr std::string_view kSchools[] = {
    "Lincoln Middle",    "Westview High", "Oak Ridge Elem.",
    "Millbrook Area HS", "Camp Ridge MS", "St. Anne School",
};

constexpr std::string_view kEmployers[] = {
    "Keystone Foods", "County of Cumber", "Ridge Logistics",
    "Valley Health",  "Summit Steel",     "Harris Retail",
};

constexpr std::string_view kClientComments[] = {
    "Prefers afternoon appointments",
    "Needs transportation assistance; bus pass given",
    "Called to confirm new address",
    "Interpreter requested for family sessions",
    "Release of information signed for family physician",
    "Court-ordered attendance; send monthly report to probation",
    "Asked about payment plan for balance",
    "Missed two sessions; follow-up call made",
};

constexpr std::string_view kVisitComments[] = {
    "Late 15 min", "Walk-in", "Phone call", "Family mtg", "Court report", "Urine screen",
};

}  // namespace

std::span<const StaffEntry> Staff() { return kStaff; }
std::span<const VendorEntry> Vendors() { return kVendors; }
std::span<const DiagnosisEntry> Diagnoses() { return kDiagnoses; }
std::span<const ServiceEntry> Services() { return kServices; }
std::span<const DepartmentEntry> Departments() { return kDepartments; }
std::span<const std::string_view> StudyGroups() { return kStudyGroups; }
std::span<const std::string_view> LastNames() { return kLastNames; }
std::span<const std::string_view> MaleFirstNames() { return kMaleFirstNames; }
std::span<const std::string_view> FemaleFirstNames() { return kFemaleFirstNames; }
std::span<const std::string_view> Streets() { return kStreets; }
std::span<const Town> Towns() { return kTowns; }
std::span<const std::string_view> ReferralSources() { return kReferralSources; }
std::span<const std::string_view> Schools() { return kSchools; }
std::span<const std::string_view> Employers() { return kEmployers; }
std::span<const std::string_view> ClientComments() { return kClientComments; }
std::span<const std::string_view> VisitComments() { return kVisitComments; }

const ServiceEntry* FindService(std::string_view code) {
  for (const ServiceEntry& service : kServices)
    if (service.code == code) return &service;
  return nullptr;
}

}  // namespace vornel::app::demo
