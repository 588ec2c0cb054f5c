// The appointment book on a generated root whose last posting date is
// 30 November 2026 (visits from 2 December on; clients 1 Bennett with
// staff member Ellison, 5 Baker).
#include <string>

#include "tests/maintenance/program_fixture.h"

namespace vornel::visits {
namespace {

using AppointmentBook = maintenance::test::ProgramFixture;

constexpr const char* kOpenBook = R"(
frame
tool "Appointment Management"
window "Appointments Selection"
)";

constexpr const char* kEllisonsVisits =
    R"("12/07/2026 | Ellison |  4:30PM |  5:30PM | Bennett, Robert S | MA1 | SHOW" )"
    R"("12/09/2026 | Ellison |  8:00AM |  9:00AM | Bennett, Robert S | MA1 | SCHED" )"
    R"("12/14/2026 | Ellison |  3:15PM |  4:05PM | Bennett, Robert S | MA1 | SCHED" )"
    R"("12/15/2026 | Ellison | 10:00AM | 11:30AM | Bennett, Robert S | GRP | SCHED" )"
    R"("12/17/2026 | Ellison |  2:30PM |  3:30PM | Bennett, Robert S | MA1 | SCHED" )"
    R"("12/22/2026 | Ellison | 10:00AM | 11:30AM | Bennett, Robert S | GRP | SCHED" )"
    R"("12/31/2026 | Ellison |  3:45PM |  4:45PM | Bennett, Robert S | MA1 | SCHED")";

// The book narrows to a staff member or a client; with both, the staff
// member wins; Show All undoes both. Even days are shaded.
TEST_F(AppointmentBook, NarrowsToAStaffMemberOrAClientWithTheStaffMemberWinning) {
  EXPECT_EQ(Run(std::string(kOpenBook) + R"(
expect value ?LOCALPOSTDATE "11/30/2026"
expect focus ?List
expect highlighted ?List "12/02/2026 | Bellamy |  3:15PM |  4:30PM | Baker, Donna X | INDV | SHOW"
expect colours ?List "14942171 14942171 default default 14942171 14942171 default default 14942171 14942171"
type ?FindClient "5"
expect rows ?List "12/02/2026 | Bellamy |  3:15PM |  4:30PM | Baker, Donna X | INDV | SHOW" "12/04/2026 | Bellamy |  3:45PM |  5:00PM | Baker, Donna X | INDV | SHOW" "12/10/2026 | Jordan | 10:00AM | 10:30AM | Baker, Donna X | OUTR | SCHED" "12/18/2026 | Bellamy | 11:45AM | 12:35PM | Baker, Donna X | INDV | SCHED" "12/23/2026 | Bellamy |  3:00PM |  3:45PM | Baker, Donna X | INDV | SCHED" "12/25/2026 | Bellamy | 11:45AM | 12:30PM | Baker, Donna X | INDV | SCHED" "12/28/2026 | Bellamy |  6:00PM |  7:30PM | Baker, Donna X | GRP | SCHED"
type ?StaffFilter "ell"
expect value ?StaffFilter "ELL05"
expect rows ?List )" + kEllisonsVisits + R"(
type ?Locator "12/15/2026"
expect highlighted ?List "12/15/2026 | Ellison | 10:00AM | 11:30AM | Bennett, Robert S | GRP | SCHED"
press ?ShowAll
expect value ?StaffFilter ""
expect value ?FindClient ""
expect highlighted ?List "12/15/2026 | Ellison | 10:00AM | 11:30AM | Bennett, Robert S | GRP | SCHED"
press ?ClientLookup
window "Client Selection List - Active and Pending Status Only"
row ?List 1
press ?Select
window "Appointments Selection"
expect value ?FindClient "5"
expect highlighted ?List "12/18/2026 | Bellamy | 11:45AM | 12:35PM | Baker, Donna X | INDV | SCHED"
)"),
            "");
}

// What the receptionist does all day: a staff member's book, a new
// appointment, its outcome with the client's fee and payment, and the next
// appointment of the same client and service opened for her.
TEST_F(AppointmentBook, BooksRecordsTheOutcomeAndOpensTheClientsNextAppointment) {
  EXPECT_EQ(Run(std::string(kOpenBook) + R"(
type ?StaffFilter "ELL05"
press ?AddNew
window "Adding a New Appointment"
type ?LOG:CLCODE "1"
type ?LOG:SERV_CODE "INDV"
type ?LOG:LOG_DATE "12/11/2026"
type ?LOG:TIME_IN "13:30"
expect value ?LOG:TIME_OUT " 2:30PM"
press ?OK
expect closed
window "Appointments Selection"
post gainfocus
row ?List 3
expect highlighted ?List "12/11/2026 | Ellison |  1:30PM |  2:30PM | Bennett, Robert S | INDV | SCHED"
press ?Change
window "Updating Visit Outcome"
expect value ?CLIENTNAME "Robert Bennett"
expect value ?EMP:LASTNAME "Ellison"
choose ?LOG:TRANS_TYPE "SHOW"
type ?LOG:CLIFEEDUE "15"
type ?LOG:CLI_PAID "15"
choose ?TEMPCHECK1 "On"
press ?OK
expect closed
window "Adding a New Appointment"
expect value ?LOG:CLCODE "      1"
expect value ?LOG:SERV_CODE "INDV"
expect value ?LOG:EMPL_CODE "ELL05"
press ?Cancel
expect closed
window "Appointments Selection"
post gainfocus
expect highlighted ?List "12/11/2026 | Ellison |  1:30PM |  2:30PM | Bennett, Robert S | INDV | SHOW"
press ?Change
window "Updating Visit Outcome"
expect value ?LOG:CLIFEEDUE "     15.00"
expect value ?LOG:CLI_PAID "     15.00"
expect value ?TEMPCHECK1 "Off"
press ?Cancel
expect closed
window "Appointments Selection"
press ?AddNew
window "Adding a New Appointment"
expect value ?LOG:CLCODE "      0"
)"),
            "");
}

// A visit of the posted period is neither deleted nor booked anew; the
// outcome form makes no new appointments.
TEST_F(AppointmentBook, GuardsThePostedPeriod) {
  EXPECT_EQ(Run(std::string(kOpenBook) + R"(
press ?Insert
expect message "Invalid Request" "This form cannot be used to insert a record"
)"),
            "");
}

// "Daily Schedule" lists the highlighted visit's staff member on its day;
// the signature button prints the highlighted appointment's confirmation.
TEST_F(AppointmentBook, PrintsTheDailyScheduleAndTheConfirmationOfTheHighlightedVisit) {
  EXPECT_EQ(Run(std::string("timers on\n") + kOpenBook + R"(
press ?DailySchedule
window "Appointment Date Range Selection"
expect value ?filter2 "BEL02"
expect value ?botdate "12/02/2026"
expect value ?topdate "12/02/2026"
press ?Ok
window "Report Preview"
expect text ?Pages 1 "Marcus Bellamy"
expect text ?Pages 1 "Donna Baker"
expect text ?Pages 1 "Date Range of Interest : 12/02/2026 - 12/02/2026"
close
window "Appointments Selection"
press ?Signature
window "Report Preview"
expect text ?Pages 1 "Appointment Confirmation Form"
expect text ?Pages 1 "Wednesday, December 2, 2026"
expect text ?Pages 1 "Marcus Bellamy"
close
)"),
            "");
}

// Two appointments of one client at the same time are asked about, No by
// default; a staff member's, Yes by default.
TEST_F(AppointmentBook, AsksBeforeBookingAClientOrAStaffMemberTwice) {
  EXPECT_EQ(Run(std::string(kOpenBook) + R"(
press ?AddNew
window "Adding a New Appointment"
type ?LOG:CLCODE "1"
type ?LOG:SERV_CODE "INDV"
type ?LOG:LOG_DATE "12/09/2026"
type ?LOG:TIME_IN "8:30"
press ?OK
expect message "Double Booking" "Robert Bennett already has an appointment from 8:00AM to 9:00AM. Book anyway?"
expect buttons yes no default no
expect focus ?LOG:TIME_IN
type ?LOG:CLCODE "5"
type ?LOG:EMPL_CODE "ELL05"
answer no
press ?OK
expect message "Double Booking" "Grace Ellison already has an appointment from 8:00AM to 9:00AM. Book anyway?"
expect buttons yes no default yes
type ?LOG:TIME_IN "9:00"
type ?LOG:TIME_OUT "8:45"
press ?OK
window "System Warning"
expect value ?MESSAGE "The time out lies before the time in."
press ?Close
window "Adding a New Appointment"
expect focus ?LOG:TIME_OUT
type ?LOG:TIME_OUT "10:00"
press ?OK
expect no message
expect closed
)"),
            "");
}

class PostedAppointments : public AppointmentBook {
 protected:
  PostedAppointments() { months_ = 2; }  // November is posted
};

// The last visit of the posted period stays; the outcome form shows it
// without "&Save Changes". A cancelled visit loses its fee and its three
// open charge lines.
TEST_F(PostedAppointments, KeepThePostedPeriodAndCancelledVisitsLoseTheirCharges) {
  EXPECT_EQ(Run(std::string(kOpenBook) + R"(
type ?Locator "12/01/2026"
scroll ?List up
press ?Delete
window "System Warning"
expect value ?MESSAGE "Visits may not be deleted if prior to the last posting date of 11/30/2026"
press ?Close
window "Appointments Selection"
press ?Change
window "Updating Visit Outcome"
expect enabled ?OK no
press ?Cancel
expect closed
window "Appointments Selection"
type ?Locator "12/02/2026"
expect highlighted ?List "12/03/2026 | Chen |  8:15AM |  9:05AM | Howard, Charles K | INDV | SHOW"
press ?Change
window "Updating Visit Outcome"
choose ?LOG:TRANS_TYPE "CANC"
press ?OK
expect closed
frame
menu "Browse Lists" "Browse the Daily Log File"
window "Daily Log File"
type ?Locator "12/02/2026"
press ?Change
window "Changing a Log Record"
expect value ?LOG:TRANS_TYPE "CANC"
expect value ?LOG:TOTAL_FEE "      0.00"
expect rows ?Lines
)"),
            "");
}

}  // namespace
}  // namespace vornel::visits
