#pragma once
// The posting's windows: "Transaction Posting" (Post_visits), where the user
// chooses the end of the period; the "Posting Progress Window" (POST), in
// which the posting runs; and "Enter Prior to Post  Control  Form"
// (ASKCHNGPOSTPWD), which sets the department's last posting date back
// until the next department switch, behind the system password.
#include "ui/procedure_catalog.h"

namespace vornel::posting {

void RegisterPosting(const ui::Services& services);

}  // namespace vornel::posting
