#pragma once

#include "portdirectory.h"

namespace qelv {

class KnownIdentities;
class MainForm;

// One survey (the start button) over the map as it is now: `ports` (and what `known` had from
// ModemManager) is read afresh first, so the survey, its tooltips and the output after it see
// the devices of this moment. Lets ShutdownRequested through, as Command1_Click does.
void runSurvey(MainForm& form, PortDirectory& ports, KnownIdentities* known = nullptr);

}  // namespace qelv
