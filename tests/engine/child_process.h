// Starts a program with its standard output sent to a file, and waits for it:
// the end-to-end tests run the simulated driver next to the engine.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <winsock2.h>  // before windows.h, for the tests that use both
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <climits>
#include <cstdlib>
extern char** environ;
#endif

namespace tvn::testing {

// The folder of the running test program, with a trailing separator.
inline std::string ProgramFolder() {
#ifdef _WIN32
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
#else
  char path[PATH_MAX] = {};
  if (readlink("/proc/self/exe", path, sizeof path - 1) < 0) return "./";
#endif
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("/\\") + 1);
}

inline void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

class ChildProcess {
 public:
  // Starts program with arguments; its standard output goes to outputFile.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments, const std::string& outputFile) {
#ifdef _WIN32
    std::string commandLine = "\"" + program + "\"";
    for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output_ = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output_;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
      process_ = info.hProcess;
      CloseHandle(info.hThread);
    }
#else
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
#endif
  }
  ~ChildProcess() { Wait(); }

  bool Started() const {
#ifdef _WIN32
    return process_ != nullptr;
#else
    return pid_ > 0;
#endif
  }

  // The exit status, once the program has ended; -1 if it never started.
  int Wait() {
#ifdef _WIN32
    if (process_ == nullptr) return exitCode_;
    WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    CloseHandle(output_);
    process_ = nullptr;
    exitCode_ = static_cast<int>(code);
#else
    if (pid_ <= 0) return exitCode_;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return exitCode_;
  }

 private:
#ifdef _WIN32
  HANDLE process_ = nullptr;
  HANDLE output_ = INVALID_HANDLE_VALUE;
#else
  pid_t pid_ = -1;
#endif
  int exitCode_ = -1;
};

}  // namespace tvn::testing
