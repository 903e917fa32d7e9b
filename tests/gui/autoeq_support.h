#pragma once
// Shared by the automatic EQ dialog's tests and pictures: a measurement file and waiting for a fit.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>

#include "app/AutoEqDialog.h"
#include "app_support.h"

namespace pavo::test {

// A room-like response: a bass hump, a dip in the low mids, a presence peak and a high roll-off.
inline QString WriteMeasurement(const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
    f.write("* Measurement of the front speakers\n* Freq(Hz) SPL(dB) Phase(degrees)\n");
    auto bump = [](double f, double hz, double width) {
        const double o = std::log2(f / hz) / width;
        return std::exp(-o * o);
    };
    for (double hz = 20; hz <= 20000; hz *= std::exp2(1.0 / 24)) {
        const double db = 82 + 7 * bump(hz, 90, 0.5) - 6 * bump(hz, 350, 0.3) + 4 * bump(hz, 2500, 0.6) -
                          5 * bump(hz, 9000, 0.4);
        f.write(QStringLiteral("%1 %2 0\n").arg(hz, 0, 'f', 3).arg(db, 0, 'f', 3).toLatin1());
    }
    return path;
}

// The fit for the dialog's settings has finished (generous: the machine is shared).
inline bool FitDone(AutoEqDialog& d) {
    return test::WaitUntil([&] { return !d.Fitting() && d.Result().has_value(); }, 120000);
}

}  // namespace pavo::test
