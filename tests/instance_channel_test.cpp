// The single-instance lock: a second copy is told, a raise request gets
// through, and a lock someone else planted is not believed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/instance_channel.h"
#include "support/files.h"

namespace tamblor {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class InstanceChannelTest : public ::testing::Test {
protected:
    void SetUp() override { fs::permissions(folder_, fs::perms::owner_all); }
    // A claim that must go ahead anyway, and what it said on standard error.
    std::string ClaimWarning() const {
        return test::StderrOf([&] { EXPECT_TRUE(InstanceChannel(folder_).Claim()); });
    }
    test::TestFolder dir_{"tamblor-instance-"};
    const std::string folder_ = dir_.path.string();
};

TEST_F(InstanceChannelTest, ASecondClaimIsRefusedAndItsRaiseRequestArrives) {
    InstanceChannel first(folder_);
    ASSERT_TRUE(first.Claim());
    EXPECT_FALSE(first.TakeActivation());
    InstanceChannel second(folder_);
    EXPECT_FALSE(second.Claim());
    second.Activate();
    EXPECT_TRUE(first.TakeActivation());
    EXPECT_FALSE(first.TakeActivation());
}

TEST_F(InstanceChannelTest, ALockFileOfAnotherUserOrOpenToOthersIsNotBelieved) {
    const std::string lock = folder_ + "/tamblor.lock";
    std::ofstream(lock).put('x');
    ASSERT_EQ(::chmod(lock.c_str(), 0666), 0);
    // Our own file that others may write is not trusted: the game runs,
    // unchecked, rather than leaving without a word.
    EXPECT_THAT(ClaimWarning(), HasSubstr("others may use it"));

    // Planting a file owned by another user takes root (as CI runs).
    if (::getuid() != 0) return;
    ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
    // Its owner holds it, as if a copy of the game were running.
    int held = ::open(lock.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_THAT(ClaimWarning(), HasSubstr("belongs to someone else"));
    ::close(held);
}

TEST_F(InstanceChannelTest, AFolderOthersMayWriteOrALinkInPlaceOfTheLockIsNotUsed) {
    fs::permissions(folder_, fs::perms::all);
    EXPECT_THAT(ClaimWarning(), HasSubstr("only this user may use"));
    EXPECT_FALSE(fs::exists(folder_ + "/tamblor.lock"));

    fs::permissions(folder_, fs::perms::owner_all);
    fs::create_symlink(folder_ + "/elsewhere", folder_ + "/tamblor.lock");
    EXPECT_THAT(ClaimWarning(), HasSubstr("cannot open the lock file"));
    EXPECT_FALSE(fs::exists(folder_ + "/elsewhere"));
}

}  // namespace
}  // namespace tamblor
