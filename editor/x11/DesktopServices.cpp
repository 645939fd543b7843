#include "editor/x11/DesktopServices.h"

#include <dlfcn.h>
#include <limits.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

extern char** environ;

namespace x11 {
namespace {

// The text up to and including the last '/'; empty when there is none or the
// path ends with one (a folder, not a file).
void FolderOf(const char* file, std::string& path) {
  path.clear();
  if (!file) return;
  const char* slash = std::strrchr(file, '/');
  if (!slash || slash[1] == '\0') return;
  path.assign(file, static_cast<size_t>(slash - file + 1));
}

void WithSlash(std::string& path) {
  if (!path.empty() && path.back() != '/') path += '/';
}

// An absolute path from the environment, or empty.
std::string AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = AbsoluteEnv("HOME");
  if (!home.empty()) return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir &&
      found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return std::string();
}

// XDG_DESKTOP_DIR="$HOME/Desktop" from user-dirs.dirs: a quoted path that
// is absolute or starts with $HOME.
std::string DesktopFromUserDirs(const std::string& home) {
  std::string config = AbsoluteEnv("XDG_CONFIG_HOME");
  if (config.empty()) {
    if (home.empty()) return std::string();
    config = home + "/.config";
  }
  std::FILE* file = std::fopen((config + "/user-dirs.dirs").c_str(), "r");
  if (!file) return std::string();
  std::string found;
  char line[1024];
  while (std::fgets(line, sizeof line, file)) {
    static const char kKey[] = "XDG_DESKTOP_DIR=\"";
    if (std::strncmp(line, kKey, sizeof kKey - 1) != 0) continue;
    const char* value = line + sizeof kKey - 1;
    const char* end = std::strchr(value, '"');
    if (!end) continue;
    std::string text(value, static_cast<size_t>(end - value));
    if (text.compare(0, 5, "$HOME") == 0 && !home.empty()) {
      found = home + text.substr(5);
    } else if (!text.empty() && text[0] == '/') {
      found = text;
    }
  }
  std::fclose(file);
  return found;
}

std::mutex& OpenersLock() {
  static std::mutex lock;
  return lock;
}

std::vector<pid_t>& Openers() {
  static std::vector<pid_t> openers;
  return openers;
}

}  // namespace

void HostFolder(std::string& path) {
  char file[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", file, sizeof file - 1);
  if (n <= 0) {
    path.clear();
    return;
  }
  file[n] = '\0';
  FolderOf(file, path);
}

void PluginFolder(std::string& path) {
  Dl_info info;
  path.clear();
  if (!dladdr(reinterpret_cast<void*>(&PluginFolder), &info) || !info.dli_fname) return;
  char resolved[PATH_MAX];
  FolderOf(realpath(info.dli_fname, resolved) ? resolved : info.dli_fname, path);
}

void DesktopFolder(std::string& path) {
  const std::string home = HomeFolder();
  path = DesktopFromUserDirs(home);
  if (path.empty() && !home.empty()) path = home + "/Desktop";
  WithSlash(path);
}

void DataFolder(std::string& path, bool shared) {
  path.clear();
  if (shared) {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    // The first absolute entry of the colon-separated list.
    for (const char* p = dirs ? dirs : ""; *p;) {
      const char* end = std::strchr(p, ':');
      const size_t length = end ? static_cast<size_t>(end - p) : std::strlen(p);
      if (length > 0 && p[0] == '/') {
        path.assign(p, length);
        break;
      }
      p += length + (end ? 1 : 0);
    }
    if (path.empty()) path = "/usr/local/share";
  } else {
    path = AbsoluteEnv("XDG_DATA_HOME");
    if (path.empty()) {
      const std::string home = HomeFolder();
      if (!home.empty()) path = home + "/.local/share";
    }
  }
  WithSlash(path);
}

bool StartOpener(const char* url) {
  ReapOpeners();
  if (!url || !url[0] || url[0] == '-') return false;
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  // The browser must not inherit the host's audio devices, sockets and files.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  char program[] = "xdg-open";
  std::string address(url);
  char* argv[] = {program, &address[0], nullptr};
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return false;
  std::lock_guard<std::mutex> guard(OpenersLock());
  Openers().push_back(pid);
  return true;
}

void ReapOpeners() {
  std::lock_guard<std::mutex> guard(OpenersLock());
  std::vector<pid_t>& openers = Openers();
  for (size_t i = 0; i < openers.size();) {
    // Ended, or already collected by a host that reaps every child.
    if (waitpid(openers[i], nullptr, WNOHANG) != 0) {
      openers.erase(openers.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

}  // namespace x11
