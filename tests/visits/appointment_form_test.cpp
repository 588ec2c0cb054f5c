// The new appointment form as the appointment book starts it, on a
// generated root whose last posting date is 30 November 2026.
#include <string>

#include "tests/maintenance/program_fixture.h"

namespace vornel::visits {
namespace {

using AddAppointment = maintenance::test::ProgramFixture;

constexpr const char* kOpenForm = R"(
frame
start AddAppointment
window "Adding a New Appointment"
)";

// A new appointment starts at 8:00 to 9:00 on the day after the posting;
// the client brings his staff member, a time in moves the time out, and the
// date, the service and the staff member are checked before it is booked.
TEST_F(AddAppointment, IsPrimedCheckedAndBookedAsAScheduledVisit) {
  EXPECT_EQ(Run(std::string(kOpenForm) + R"(
expect value ?LOG:TIME_IN " 8:00AM"
expect value ?LOG:TIME_OUT " 9:00AM"
expect value ?LOCALPOSTDATE "11/30/2026"
expect row ?LOG:EMPL_CODE 0
type ?LOG:CLCODE "1"
expect value ?LOG:EMPL_CODE "ELL05"
expect row ?LOG:EMPL_CODE 5
expect value ?STAFF_NAME "Grace Ellison"
expect focus ?LOG:SERV_CODE
expect rows ?LOG:EMPL_CODE "AMO01 | Amos" "BEL02 | Bellamy" "CHE03 | Chen" "DUR04 | Duran" "ELL05 | Ellison" "FOS06 | Foster" "GAR07 | Garcia" "HAL08 | Hall" "IVE09 | Iverson" "JOR10 | Jordan" "KIM11 | Kim" "LAW12 | Lawson"
type ?LOG:SERV_CODE "INDV"
type ?LOG:EMPL_CODE "kim"
expect value ?LOG:EMPL_CODE "KIM11"
type ?LOG:TIME_IN "13:30"
expect value ?LOG:TIME_OUT " 2:30PM"
type ?LOG:TIME_OUT "15:00"
type ?LOG:LOG_DATE "11/30/2026"
window "System Warning"
expect value ?MESSAGE "The new visit date must be greater than the last posting date of: 11/30/2026"
press ?Close
window "Adding a New Appointment"
expect value ?LOG:LOG_DATE "12/01/2026"
press ?NextWeek
expect value ?LOG:LOG_DATE "12/08/2026"
type ?LOG:SERV_CODE ""
press ?OK
window "System Warning"
expect value ?MESSAGE "The Service Code field cannot be left blank!"
press ?Close
window "Adding a New Appointment"
expect focus ?LOG:SERV_CODE
type ?LOG:SERV_CODE "INDV"
press ?OK
expect closed
frame
menu "Browse Lists" "Browse the Daily Log File"
window "Daily Log File"
type ?Locator "12/08/2026"
expect highlighted ?List "12/08/2026 | Kim |  1:30PM |  3:00PM | Bennett, Robert S | INDV | SCHED"
)"),
            "");
}

// The client list of the appointment book leaves out discharged and
// inactive clients, and a client chosen there is the appointment's.
TEST_F(AddAppointment, ChoosesOnlyAmongClientsWhoMayStillBeSeen) {
  EXPECT_EQ(Run(std::string(kOpenForm) + R"(
press ?ClientLookup
window "Client Selection List - Active and Pending Status Only"
expect rows ?List "Baker | Donna | X |       5 | 967-97-2909 |     0 | A |       0.00" "Bennett | Robert | S |       1 | 960-26-3541 |     0 | A |       0.00" "Cooper | Jeffrey | M |       2 | 904-78-9989 |     0 | P |       0.00"
row ?List 3
press ?Select
expect closed
window "Adding a New Appointment"
expect value ?LOG:CLCODE "      2"
expect value ?CLIENTNAME "Jeffrey Cooper"
)"),
            "");
}

}  // namespace
}  // namespace vornel::visits
