// A SystemUi for tests: records every message box, file dialog, shell call
// and sound, and answers with scripted values.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "system_ui.h"

namespace vcl {

class RecordingUi : public SystemUi {
 public:
  struct Box {
    std::string text;
    std::string caption;
    UINT flags;
  };
  struct ShellCall {
    std::string verb, file, parameters, directory;
    int show;
  };

  // Answers given to message boxes in order; IDOK once they run out.
  std::deque<int> box_answers;
  // Answers given to file dialogs in order; cancelled once they run out.
  std::deque<std::optional<std::string>> file_answers;
  bool shell_result = true;

  std::vector<Box> boxes;
  std::vector<OpenFileRequest> file_requests;
  std::vector<ShellCall> shell_calls;
  std::vector<std::string> sounds;

  int ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    boxes.push_back({text, caption, flags});
    if (box_answers.empty()) return IDOK;
    const int answer = box_answers.front();
    box_answers.pop_front();
    return answer;
  }
  std::optional<std::string> OpenFileName(HWND, const OpenFileRequest& request) override {
    file_requests.push_back(request);
    if (file_answers.empty()) return std::nullopt;
    auto answer = file_answers.front();
    file_answers.pop_front();
    return answer;
  }
  bool ShellExecuteFile(HWND, const std::string& verb, const std::string& file, const std::string& parameters,
                        const std::string& directory, int show) override {
    shell_calls.push_back({verb, file, parameters, directory, show});
    return shell_result;
  }
  bool PlaySoundFile(const std::string& file, UINT) override {
    sounds.push_back(file);
    return true;
  }
};

}  // namespace vcl
