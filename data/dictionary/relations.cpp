#include "data/dictionary/relations.h"

#include "data/dictionary/dictionary.h"

namespace vornel::data {
namespace {

using enum RelationAction;

constexpr RelationLink kClientCode[] = {{"CLI:CLCODE", "LAC:CLCODE"}};
constexpr RelationLink kClientCard[] = {{"CLI:CLCODE", "INS:CLCODE"}};
constexpr RelationLink kClientGroup[] = {{"CLI:CLCODE", "SIN:CLI_CODE"}};
constexpr RelationLink kClientLine[] = {{"CLI:CLCODE", "LIN:CLCODE"}};
constexpr RelationLink kClientLog[] = {{"CLI:CLCODE", "LOG:CLCODE"}};
constexpr RelationLink kClientComment[] = {{"CLI:CLCODE", "CMT:CLI_CODE"}};
constexpr RelationLink kClientPayment[] = {{"CLI:CLCODE", "CPY:CLCODE"}};
constexpr RelationLink kClientUdc[] = {{"CLI:CLCODE", "UDC:CLCODE"}};
constexpr RelationLink kLogLine[] = {{"LOG:LOG_NO", "LIN:LOG_NO"}};
constexpr RelationLink kArchiveLog[] = {{"CAR:CLCODE", "LAC:CLCODE"}};
constexpr RelationLink kGroupAssignment[] = {{"STU:CODE", "SIN:GRP_CODE"}};
constexpr RelationLink kVendorLine[] = {{"VEN:VEN_CODE", "LIN:VEN_CODE"}};

constexpr RelationDef kRelations[] = {
    {ClientFile, LogarcFile, "LAC:LOG_CUST", kClientCode, kNone, kNone},
    {ClientFile, Ins_cardFile, "INS:CARD_KEY", kClientCard, kCascade, kCascade},
    {ClientFile, GrpassinFile, "SIN:CLI_KEY", kClientGroup, kCascade, kCascade},
    {ClientFile, LineitemFile, "LIN:CLI_KEY", kClientLine, kCascade, kCascade},
    {ClientFile, LogFile, "LOG:LOG_CUST", kClientLog, kCascade, kCascade},
    {ClientFile, Cli_cmmtFile, "CMT:COM_KEY", kClientComment, kRestrict, kRestrict},
    {ClientFile, ClipmtsFile, "CPY:CLI_KEY", kClientPayment, kRestrict, kRestrict},
    {ClientFile, UdcsFile, "UDC:UDCS_KEY", kClientUdc, kRestrict, kCascade},
    {LogFile, LineitemFile, "LIN:LOG_KEY", kLogLine, kCascade, kCascade},
    {CliarcFile, LogarcFile, "LAC:LOG_CUST", kArchiveLog, kNone, kNone},
    {StudygrpFile, GrpassinFile, "SIN:GRP_KEY", kGroupAssignment, kCascade, kCascade},
    {VendorFile, LineitemFile, "LIN:VEN_KEY", kVendorLine, kCascade, kCascade},
};

constexpr ParentDef kParents[] = {
    {LogFile, ClientFile},       {LineitemFile, LogFile},     {LineitemFile, VendorFile},
    {LineitemFile, ClientFile},  {Ins_cardFile, ClientFile},  {ClipmtsFile, ClientFile},
    {Cli_cmmtFile, ClientFile},  {UdcsFile, ClientFile},      {GrpassinFile, StudygrpFile},
    {GrpassinFile, ClientFile},  {LogarcFile, CliarcFile},    {LogarcFile, ClientFile},
};

}  // namespace

std::span<const RelationDef> AllRelations() { return kRelations; }
std::span<const ParentDef> AllParentEntries() { return kParents; }

}  // namespace vornel::data
