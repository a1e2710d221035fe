#include "surveyrun.h"

#include "knownidentity.h"
#include "mainform.h"

namespace qelv {

void runSurvey(MainForm& form, PortDirectory& ports, KnownIdentities* known) {
    ports.refresh();
    if (known) known->refresh();
    form.Command1_Click();
}

}  // namespace qelv
