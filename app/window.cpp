#include "runmodes.h"

#include "devicefollower.h"
#include "knownidentity.h"
#include "mainform.h"
#include "mdcomm.h"
#include "qteventpump.h"
#include "qtmainwindow.h"
#include "shutdown.h"
#include "unitfactory.h"
#include "version.h"

#include <QApplication>
#include <QTimer>

namespace qelv {

int runWindow(const Options& options, bool startAtOnce) {
    const auto ports = mappedPorts(options.portsDir, options.portTargets);
    installUnitFactory(ports);
    const auto known = std::make_shared<KnownIdentities>(ports);
    QtEventPump pump;
    QtMainWindow window;
    MainForm form(window.widgets(),
                  {.pump = pump,
                   .unit = []() -> Mdcomm& { return Mdcomm::instance(); },
                   .describePort = portDescriber(ports),
                   .endProgram = [] { QCoreApplication::exit(shutdown::exitCode()); },
                   .version = version::kNumbers,
                   .parallel = options.parallel,
                   .newPort = portFactory(ports),
                   .identify = options.identify,
                   .knownIdentity = [known](int n) { return known->of(n); }});
    form.Form_Load();
    QObject::connect(&window, &QtMainWindow::resized, [&form] { form.Form_Resize(); });
    QObject::connect(&window, &QtMainWindow::closeRequested, [&form] {
        std::int16_t cancel = 0;
        form.Form_Unload(cancel);
    });
    DeviceWatch watch(udevTtyEvents());
    DeviceFollower devices(watch, *ports, form, known.get());
    QObject::connect(&window, &QtMainWindow::startClicked, [&devices] {
        try {
            devices.survey();
        } catch (const ShutdownRequested& request) {
            // The close or signal that asked for this already ended the main loop's future;
            // what is left is to let go of the port before anything else.
            Mdcomm::releaseInstance();
            QCoreApplication::exit(request.exitCode());
        }
    });
    window.show();
    if (startAtOnce) QTimer::singleShot(0, &window, &QtMainWindow::startClicked);
    const int status = shutdown::requested() ? shutdown::exitCode() : QApplication::exec();
    Mdcomm::releaseInstance();
    return status;
}

}  // namespace qelv
