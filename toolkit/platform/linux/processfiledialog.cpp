// File dialogs on Linux: kdialog or zenity run as a child process. The editor never waits for
// it; the frame's idle polls the pipe and reaps the child without blocking. The dialog is
// attached to the host's top-level window (it opens over it and stays with it), and raising it
// again finds its windows by the process id they declare.
#include "../../cfileselector.h"
#include "../x11/x11windows.h"
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace VSTGUI
{

namespace
{

class ProcessFileDialogRunner : public IFileDialogRunner
{
public:
    ~ProcessFileDialogRunner() override { cancel(); }

    bool start(const FileDialogRequest& request) override
    {
        missingProgram = false;
        std::vector<std::string> args = buildArguments(request);
        if (args.empty())
        {
            missingProgram = true;
            return false;
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        // Toolkit warnings of the dialog must not land in the host's stderr.
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        // The host's sockets, audio devices and X connections stay out of the child.
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &all);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> environment = dialogEnvironment();
        std::vector<char*> envp;
        for (auto& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        close(fds[1]);
        if (rc != 0)
        {
            close(fds[0]);
            pid = -1;
            missingProgram = rc == ENOENT || rc == EACCES;
            return false;
        }
        readFd = fds[0];
        fcntl(readFd, F_SETFL, fcntl(readFd, F_GETFL) | O_NONBLOCK);
        return true;
    }

    std::string unavailableMessage() const override
    {
        return missingProgram ? "Install zenity or kdialog to choose files" : "";
    }

    State poll(std::vector<std::string>& paths) override
    {
        if (pid < 0) return State::Failed;
        drain();
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == 0) return State::Running;
        bool exitedOk;
        if (r < 0)
        {
            // SIGCHLD ignored by the host: the child reaps itself; judge by the output.
            if (!eof) return State::Running;
            exitedOk = !output.empty();
        }
        else
        {
            drain();
            exitedOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 1)
            {
                finish();
                return State::Cancelled;
            }
        }
        finish();
        if (!exitedOk) return State::Failed;
        // One path per line; only absolute paths count.
        size_t pos = 0;
        while (pos < output.size())
        {
            size_t end = output.find('\n', pos);
            if (end == std::string::npos) end = output.size();
            std::string line = output.substr(pos, end - pos);
            if (!line.empty() && line[0] == '/') paths.push_back(line);
            pos = end + 1;
        }
        return paths.empty() ? State::Cancelled : State::Chosen;
    }

    void cancel() override
    {
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            // Give it a moment, then make sure.
            for (int i = 0; i < 20 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
                usleep(10000);
            if (waitpid(pid, nullptr, WNOHANG) == 0)
            {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
        finish();
    }

    // Both zenity and kdialog mark their windows with their process id (_NET_WM_PID), so the
    // same search finds either; the dialog keeps running, nothing is restarted.
    void raise() override
    {
        if (pid > 0) raiseWindowsOfProcess(static_cast<uint32_t>(pid));
    }

private:
    static bool executable(const char* path) { return access(path, X_OK) == 0; }

    // The host's environment, with the dialog's toolkit told to draw on X: the editor's window
    // is an X window (under Wayland the host runs on XWayland), and only an X dialog can be
    // attached to it and raised again.
    static std::vector<std::string> dialogEnvironment()
    {
        std::vector<std::string> result;
        for (char** e = environ; e && *e; ++e)
        {
            const std::string entry = *e;
            if (entry.rfind("GDK_BACKEND=", 0) == 0 || entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
                continue;
            result.push_back(entry);
        }
        result.push_back("GDK_BACKEND=x11");
        result.push_back("QT_QPA_PLATFORM=xcb");
        return result;
    }

    static std::vector<std::string> buildArguments(const FileDialogRequest& rq)
    {
        std::vector<std::string> args;
        const char* custom = std::getenv("ORV_FILE_DIALOG_CMD");
        const bool kdialog = !custom && executable("/usr/bin/kdialog");
        std::string program = custom ? custom : (kdialog ? "/usr/bin/kdialog" : "/usr/bin/zenity");
        if (!custom && !kdialog && !executable(program.c_str())) return args;
        args.push_back(program);
        // Window ids in decimal: both programs read them so.
        const std::string owner =
            rq.parentWindow ? std::to_string(reinterpret_cast<uintptr_t>(rq.parentWindow)) : "";
        if (kdialog)
        {
            if (rq.style == 1)
                args.push_back("--getsavefilename");
            else if (rq.style == 2)
                args.push_back("--getexistingdirectory");
            else
            {
                args.push_back("--getopenfilename");
                args.push_back("--separate-output");
                if (rq.allowMultiple) args.push_back("--multiple");
            }
            if (!rq.title.empty())
            {
                args.push_back("--title");
                args.push_back(rq.title);
            }
            if (!owner.empty())
            {
                args.push_back("--attach");
                args.push_back(owner);
            }
            std::string start = rq.initialDirectory;
            if (rq.style == 1 && !rq.defaultSaveName.empty()) start += rq.defaultSaveName;
            args.push_back(start.empty() ? "." : start);
            if (rq.style != 2 && !rq.extensions.empty())
            {
                std::string filter;
                for (const auto& e : rq.extensions)
                    filter += std::string("*.") + e.getExtension() + " ";
                args.push_back(filter);
            }
            return args;
        }
        args.push_back("--file-selection");
        if (rq.style == 2) args.push_back("--directory");
        if (rq.style == 1)
        {
            args.push_back("--save");
            args.push_back("--confirm-overwrite");
        }
        if (rq.allowMultiple && rq.style == 0)
        {
            args.push_back("--multiple");
            args.push_back("--separator=\n");
        }
        if (!rq.title.empty()) args.push_back("--title=" + rq.title);
        if (!owner.empty()) args.push_back("--attach=" + owner);
        std::string start = rq.initialDirectory;
        if (rq.style == 1) start += rq.defaultSaveName;
        if (!start.empty()) args.push_back("--filename=" + start);
        if (rq.style != 2)
            for (const auto& e : rq.extensions)
                args.push_back(std::string("--file-filter=") + e.getDescription() + " (" +
                               e.getExtension() + ") | *." + e.getExtension());
        return args;
    }

    void drain()
    {
        if (readFd < 0) return;
        char buf[4096];
        for (;;)
        {
            const ssize_t n = read(readFd, buf, sizeof buf);
            if (n > 0)
                output.append(buf, static_cast<size_t>(n));
            else if (n == 0)
            {
                eof = true;
                break;
            }
            else if (errno != EINTR)
                break;
        }
    }

    void finish()
    {
        if (readFd >= 0) close(readFd);
        readFd = -1;
        pid = -1;
    }

    pid_t pid = -1;
    bool missingProgram = false;
    int readFd = -1;
    bool eof = false;
    std::string output;
};

} // namespace

std::unique_ptr<IFileDialogRunner> createPlatformFileDialogRunner()
{
    return std::make_unique<ProcessFileDialogRunner>();
}

} // namespace VSTGUI
