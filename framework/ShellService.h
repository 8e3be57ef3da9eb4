// Starting a program through the desktop shell.
#pragma once

#include <QString>
#include <memory>

class ShellService {
public:
    virtual ~ShellService() = default;
    // Starts a program; a result above 32 means it started.
    virtual int Execute(const QString& file, const QString& params, const QString& dir, int showCmd) = 0;
    // Starts the program on its own, detached from this one.
    static std::unique_ptr<ShellService> MakeReal();
};
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
