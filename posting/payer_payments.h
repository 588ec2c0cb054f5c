#pragma once
// Payers' receipts: the payer's charge lines (RecordVendorPay, "Vendor
// Charges File") with the payer chosen from SelectVendor, one receipt at a
// time (UpdateVendPay) or in bulk for a range of service dates, with the
// payment date asked by WhatPayDay and, on request, the OSM lines of the
// same visits paid too.
#include <cstdint>
#include <string>

#include "data/file_registry.h"
#include "ui/procedure_catalog.h"

namespace vornel::posting {

struct BulkReceipt {
  std::string payer;             // VEN:VEN_CODE
  std::int32_t from = 0;         // service dates, both ends included
  std::int32_t through = 0;
  std::int32_t paid_on = 0;      // the payment date
  bool with_osm = false;         // the OSM lines of the same visits too, whatever their date
};

struct BulkResult {
  bool done = false;  // false: nothing was written (a file refused)
  long lines_paid = 0;
  long osm_lines_paid = 0;
};

// Pays in full every line of the payer in the range that is not paid yet
// ("P" lines keep their earlier payment), in one transaction.
BulkResult PayInBulk(data::FileRegistry& files, const BulkReceipt& receipt);

void RegisterPayerPayments(const ui::Services& services);

}  // namespace vornel::posting
