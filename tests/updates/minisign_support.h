#pragma once
// Real minisign key pairs and signatures for the tests, made at test time by the minisign
// tool (VANTREL_MINISIGN) in a temporary folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/updates/update_test_files.h"
#include "updates/signature.h"

extern char** environ;

namespace vantrel::test {

// Runs a program with its output thrown away; its exit status, or -1 when it did not run.
inline int RunQuietly(const std::vector<std::string>& args, std::string* output = nullptr) {
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  testing::TempFolder folder;
  const std::string outFile = (folder / "out").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (output) *output = testing::ReadBytes(outFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class MinisignKeyPair {
 public:
  MinisignKeyPair() {
    const int made = RunQuietly({VANTREL_MINISIGN, "-G", "-W", "-p", PublicKeyFile().string(), "-s", SecretKeyFile().string()});
    EXPECT_EQ(made, 0) << "minisign -G failed";
    std::string reason;
    if (auto key = ParseMinisignPublicKey(testing::ReadBytes(PublicKeyFile()), reason)) m_key = *key;
  }

  std::filesystem::path PublicKeyFile() const { return m_folder / "key.pub"; }
  std::filesystem::path SecretKeyFile() const { return m_folder / "key.key"; }
  const MinisignPublicKey& Key() const { return m_key; }

  // Signs `file` into `file`.minisig and gives that text.
  std::string Sign(const std::filesystem::path& file, const std::string& trustedComment = "vantrel test",
                   bool legacy = false) const {
    std::vector<std::string> args{VANTREL_MINISIGN, "-S", "-s", SecretKeyFile().string(), "-m", file.string(),
                                  "-t", trustedComment};
    if (legacy) args.insert(args.begin() + 2, "-l");
    EXPECT_EQ(RunQuietly(args), 0) << "minisign -S failed";
    return testing::ReadBytes(file.string() + ".minisig");
  }

  // Signs `content` (through a temporary file) and gives the .minisig text.
  std::string SignBytes(const std::string& content, const std::string& trustedComment = "vantrel test",
                        bool legacy = false) const {
    const auto file = m_folder / "content";
    testing::WriteBytes(file, content);
    return Sign(file, trustedComment, legacy);
  }

 private:
  testing::TempFolder m_folder;
  MinisignPublicKey m_key;
};

}  // namespace vantrel::test
