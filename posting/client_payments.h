#pragma once
// A client's account: the payment window (RecordClipmts, "Browse Client
// Payments") over the client's charge and payment records, with each
// record's balance effect, the account's total and the write-off of a
// record; and the payment form (UpdateClipmts), also opened from the
// appointment book's outcome form.
#include <cstdint>
#include <vector>

#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "ui/procedure_catalog.h"

namespace vornel::posting {

// The balance the client's records make: charges less payments, over every
// record (`through` 0) or over those dated on or before `through`.
double AccountBalance(const std::vector<data::ClipmtsRecord>& records, std::int32_t through = 0);

// The client's records in CPY:CLI_KEY order; the file's buffer and place are kept.
std::vector<data::ClipmtsRecord> ClientRecords(data::FileRegistry& files, std::int16_t client);

// The write-off of one record: it becomes "W", paid today, and an "A" record
// of the amount left (charges less payments) adjusts the account, in one
// transaction. False when the record may not be written off (already "W" or
// "A") or a file refused; nothing is then changed. The record is the
// current one of the Clipmts file, as read.
bool WriteOff(data::FileRegistry& files, std::int32_t today, std::int32_t now);

void RegisterClientPayments(const ui::Services& services);

}  // namespace vornel::posting
