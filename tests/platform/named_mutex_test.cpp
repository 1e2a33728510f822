#include "platform/named_mutex.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/folders.h"
#include "tests/platform/temp_env.h"

namespace talmi {
namespace {

class NamedMutex : public test::TempUserFolders {};

// Runs Create in a child process; returns its result code (or 99).
int CreateInChild(const std::string& name) {
  pid_t pid = ::fork();
  if (pid == 0) {
    CNamedMutex m;
    int rc = m.Create(name);
    ::_exit(rc == 1 ? 1 : rc == 0 ? 0 : 2);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return 99;
  int code = WEXITSTATUS(status);
  return code == 2 ? -1 : code;
}

TEST_F(NamedMutex, SecondCreationInAnotherProcessReportsTheFirst) {
  CNamedMutex first;
  ASSERT_EQ(first.Create(kProductName), 1);
  EXPECT_TRUE(first.Owned());
  EXPECT_FALSE(first.AlreadyExisted());
  EXPECT_EQ(CreateInChild(kProductName), 0);
  EXPECT_EQ(CreateInChild("another name"), 1);
  first.Close();
  EXPECT_EQ(CreateInChild(kProductName), 1);
}

TEST_F(NamedMutex, SecondCreationInTheSameProcessReportsItToo) {
  CNamedMutex first, second;
  ASSERT_EQ(first.Create(kProductName), 1);
  EXPECT_EQ(second.Create(kProductName), 0);
  EXPECT_TRUE(second.AlreadyExisted());
  EXPECT_FALSE(second.Owned());
}

TEST_F(NamedMutex, AHolderThatDiesReleasesIt) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    CNamedMutex m;
    char ok = m.Create(kProductName) == 1 ? 'y' : 'n';
    [[maybe_unused]] ssize_t n = ::write(ready[1], &ok, 1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ::close(ready[0]);
  ASSERT_EQ(ok, 'y');
  CNamedMutex m;
  EXPECT_EQ(m.Create(kProductName), 0);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(m.Create(kProductName), 1);
}

TEST_F(NamedMutex, NamesWithSeparatorsStayInsideTheRuntimeFolder) {
  std::string path = CNamedMutex::LockFilePath("../../etc/x");
  EXPECT_EQ(path.rfind(Root() + "/runtime/talmi-kt380/", 0), 0u) << path;
  EXPECT_EQ(path.find('/', (Root() + "/runtime/talmi-kt380/").size()), std::string::npos);
  CNamedMutex m;
  EXPECT_LT(m.Create(""), 0);
}

}  // namespace
}  // namespace talmi
