// Runs the C host over the built libgridport.so in a child process, a scripted user answering
// the dialogs, and gathers what the host printed and the script's transcript.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gridport::testing {

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct HostRun {
  std::vector<std::string> lines;  // what the C host printed
  std::string transcript;
};

// Runs `host_program` (the built C host unless another copy is named) on a scenario, with the
// script's lines answering the dialogs; the script and transcript files go to `dir`.
inline HostRun run_c_host(const std::filesystem::path& dir, const std::string& scenario,
                          const std::vector<std::string>& script,
                          const std::string& host_program = GRIDPORT_C_HOST) {
  std::ofstream(dir / "script.txt") << [&] {
    std::string text;
    for (const auto& line : script) text += line + "\n";
    return text;
  }();
#ifdef _WIN32
  // The child inherits the variables; the command goes through cmd.exe.
  _putenv_s("PORT_UI_SCRIPT", (dir / "script.txt").string().c_str());
  _putenv_s("PORT_UI_TRANSCRIPT", (dir / "transcript.txt").string().c_str());
  std::string command =
      "\"\"" + host_program + "\" \"" + GRIDPORT_LIBRARY + "\" " + scenario + "\"";
  std::FILE* pipe = ::_popen(command.c_str(), "r");
#else
  std::string command = "PORT_UI_SCRIPT='" + (dir / "script.txt").string() +
                        "' PORT_UI_TRANSCRIPT='" + (dir / "transcript.txt").string() + "' " +
                        host_program + " " + GRIDPORT_LIBRARY + " " + scenario;
  std::FILE* pipe = ::popen(command.c_str(), "r");
#endif
  HostRun run;
  char line[4096];
  while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    run.lines.push_back(text);
  }
#ifdef _WIN32
  if (pipe != nullptr) ::_pclose(pipe);
#else
  if (pipe != nullptr) ::pclose(pipe);
#endif
  run.transcript = read_file(dir / "transcript.txt");
  return run;
}

}  // namespace gridport::testing
