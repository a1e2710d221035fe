#include "surveyrun.h"

#include "mainform.h"

namespace qelv {

void runSurvey(MainForm& form, PortDirectory& ports) {
    ports.refresh();
    form.Command1_Click();
}

}  // namespace qelv
