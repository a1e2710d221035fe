#pragma once

#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "qteventpump.h"
#include "qtserialport.h"
#include "surveytexts.h"

#include <memory>

namespace qelv::bench {

// A survey as the window runs it, on the real clock and event loop, with in-memory widgets
// (or the grid and status bar given), one port at a time or with --parallel, with or without
// --identify, over the ports directory given.
struct BenchSurvey {
    explicit BenchSurvey(const QString& portsDir, bool parallel = false, Grid* grid = nullptr,
                         bool identify = false, StatusBar* status = nullptr)
        : ports(PortDirectory::fixed(PortMap::fromDirectory(portsDir))),
          port(ports),
          unit(clock, pump, port),
          form({widgets.window, grid ? *grid : widgets.MSFlexGrid1,
                status ? *status : widgets.StatusBar1, widgets.Command1},
               {.pump = pump,
                .unit = [this]() -> Mdcomm& { return unit; },
                .describePort = [](int) { return QString(); },
                .version = VersionNumbers{1, 1, 0},
                .parallel = parallel,
                .newPort = [this]() -> std::unique_ptr<SerialPort> {
                    return std::make_unique<QtSerialPort>(ports);
                },
                .identify = identify}) {
        form.Form_Load();
        form.Form_Resize();
    }
    // The in-memory grid's cells; not the grid given, if one was.
    const GridCell& cell(int row, int col) const {
        return widgets.MSFlexGrid1.cells().at(row, col);
    }
    // How many ports passed the check of column `col`.
    int marked(int col) const {
        int n = 0;
        for (int row = survey::kFirstPort; row <= survey::kLastPort; ++row)
            n += cell(row, col).backColor == survey::kMark ? 1 : 0;
        return n;
    }

    std::shared_ptr<const PortDirectory> ports;
    SystemTickClock clock;
    QtEventPump pump;
    QtSerialPort port;
    Mdcomm unit;
    MemoryForm widgets;
    MainForm form;
};

}  // namespace qelv::bench
