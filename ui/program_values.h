#pragma once
// The values the whole program shares: one copy for all threads.
#include <cstdint>

#include "platform/expression_scope.h"

namespace vornel::ui {

// Every program-wide value in one place. Texts are fixed-width and space
// padded (read them with platform::ReadField, set them with AssignPadded), so
// a thread reading a text while another sets it never touches freed memory.
//
// Shared without locks, as the system shares them: the department values
// change only in the department routine (at start-up and on a department
// switch, both on the frame's thread) and the report parameters only in the
// parameter windows and forms that own them; everyone else only reads.
struct ProgramValues {
  ProgramValues();  // texts blank, numbers 0, the version label set

  // The program's single copy.
  static ProgramValues& Global();

  // From the agency settings file (see agency_settings.h).
  char agency_name[30];
  char agency_npi[12];  // provider identifier printed on claim forms

  // The current department, from Setups and Departments.
  std::int16_t department = 0;
  char activity[20];  // DEPT:ACTIVITY, shown in the frame title
  struct BillingIds {  // DEPT:MA7_RESCODE ... DEPT:FEDTAXNO, same widths
    char MA7_RESCODE[1];
    char MA10_PROV[20];
    char MA11_PROVTYP[2];
    char MA12_PROVID[13];
    char MA13_PROVADD[2];
    char MA17_PAYEE[8];
    char MA23_SUPDOC[25];
    char MA24_PRELIC[13];
    char MA29G_DX[2];
    char MA29H_TYPE[2];
    char MA29L_PLACE[2];
    char FEDTAXNO[12];
  } billing;
  std::int32_t last_post_date = 0;  // DEPT:POSTDATE, or 1 January 2002 when it is 0
  // The last posting date was set back on purpose (ASKCHNGPOSTPWD) until the
  // next department switch: a posting may then cover posted days again.
  std::uint8_t post_date_override = 0;

  // From the Setups record. SET:REF_DATE is kept as reference_date and
  // copied into its two working copies, topdate and posting_start_date.
  std::int32_t reference_date = 0;
  char collector[25];
  std::uint8_t billing_amount_option = 0;  // SET:BCOPT
  char password[5];                        // SET:PW, compared with what the user types
  char address1[60];  // SET:NAME + " " + SET:ADDRESS1, both clipped
  char address2[50];  // SET:ADDRESS2
  char address3[50];  // SET:CITYETC clipped + "," + SET:ZIP

  char version_label[15];        // "VN-3.09b"
  std::int16_t history_popup = 0;  // 1: open the revision history list at start-up
  // Mode a procedure sets for the one it starts: '0' start-up, 'C' during a
  // department switch, '2' after it, 'F'/'E' session statistics, and the
  // payer payments' OSM option 'Y'/'N'.
  char selection = ' ';

  // Report parameters and work values of forms and parameter windows.
  std::int32_t topdate = 0;  // start of the period; SET:REF_DATE when a department opens
  std::int32_t botdate = 0;  // end of the period
  std::int32_t posting_start_date = 0;  // first day of the next posting
  std::int32_t payment_date = 0;        // LONGTEMP: the date payers' receipts are recorded on
  char receipt_payer[3];                // the payer whose receipts are recorded in bulk
  char filter2[20];   // payer code of a claim form
  char var1 = ' ';    // VAR1: billing option or billing status option
  char var3[20];      // VAR3: staff code of a staff report
  char name_format = ' ';  // client names on bills: F, I, N or T
  std::int16_t month = 0;
  std::int16_t year = 0;
  std::uint8_t end_date_flag = 0;  // claim form lines use the service date as end date
  std::uint8_t cancelled = 0;      // 1 when the last small dialog was cancelled
  char warning_text[255];          // the text the "System Warning" window shows
  double realtemp = 0;             // REALTEMP: units on the visit form, kept between forms
  std::int16_t history_client = 0;  // the client whose visit history prints; 0 every client
  std::int32_t merge_from = 0;      // client consolidation: the client merged ...
  std::int32_t merge_to = 0;        // ... into this one

  // The appointment book's carry-over: an outcome form that asked for the
  // next visit hands its client and service to the next new appointment.
  std::uint8_t carry_over = 0;       // 1: the list opens a new appointment
  std::int16_t carry_over_client = 0;
  char carry_over_code[20];          // the service code (or a report's staff code)
};

// Makes the values that filter expressions name known under those names:
// topdate, botdate, filter2, VAR1, VAR3 and REALTEMP (the language ignores
// case). Expressions read the values live. False when a name was refused.
bool BindProgramValues(const ProgramValues& values, platform::VariableTable& table);

}  // namespace vornel::ui
