#pragma once
// pavo-unit run as a child process, the way a user runs it: for checks on the program itself (its own
// loop, its CPU use) that an in-process UnitLine cannot show.
#include <sys/types.h>

#include <string>
#include <vector>

namespace pavo::unit {

class UnitProcess {
public:
    // Starts `binary` with `args` and reads the device path it prints first.
    UnitProcess(const std::string& binary, const std::vector<std::string>& args);
    ~UnitProcess();  // SIGTERM, then waits for it
    UnitProcess(const UnitProcess&) = delete;
    UnitProcess& operator=(const UnitProcess&) = delete;

    bool Started() const { return !devicePath_.empty(); }
    const std::string& DevicePath() const { return devicePath_; }
    pid_t Pid() const { return pid_; }
    // User plus system CPU time the process has used so far, in seconds; -1 if unknown.
    double CpuSeconds() const;
    // Time its threads have been running or ready to run, in seconds; -1 if unknown. Unlike CPU time
    // it does not depend on how busy the machine is: a thread that never sleeps adds the whole
    // elapsed time, however little of the processor it gets.
    double RunnableSeconds() const;

private:
    pid_t pid_ = -1;
    std::string devicePath_;
};

}  // namespace pavo::unit
