// Runs test steps as a user to whom write permissions apply: "nobody" when the tests run as root
// (as CI does), otherwise the tests' own user.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace test_support {

class UnprivilegedUser {
 public:
  // Nothing when the tests run as root and there is no "nobody" to become.
  static std::optional<UnprivilegedUser> find() {
    UnprivilegedUser user;
    if (::geteuid() != 0) return user;
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) return std::nullopt;
    user.become_ = true;
    user.uid_ = nobody->pw_uid;
    user.gid_ = nobody->pw_gid;
    return user;
  }

  // Makes the file this user's own.
  bool give(const std::string& path) const {
    return !become_ || ::chown(path.c_str(), uid_, gid_) == 0;
  }

  // What steps return, run as this user; a child process drops root's rights for them. An
  // exception comes back as "threw: " and its message.
  std::string run(const std::function<std::string()>& steps) const {
    if (!become_) return guarded(steps);
    int out[2];
    if (::pipe(out) != 0) return "no pipe";
    pid_t child = ::fork();
    if (child < 0) return "no child process";
    if (child == 0) {
      ::close(out[0]);
      bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(gid_) == 0 && ::setuid(uid_) == 0;
      std::string result = dropped ? guarded(steps) : "cannot become nobody";
      for (std::size_t done = 0; done < result.size();) {
        ssize_t n = ::write(out[1], result.data() + done, result.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      ::_exit(0);  // no exit handlers: the parent's test state stays the parent's
    }
    ::close(out[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) result.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status)) return "the child process died: " + result;
    return result;
  }

 private:
  static std::string guarded(const std::function<std::string()>& steps) {
    try {
      return steps();
    } catch (const std::exception& e) {
      return std::string("threw: ") + e.what();
    }
  }

  bool become_ = false;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

}  // namespace test_support
