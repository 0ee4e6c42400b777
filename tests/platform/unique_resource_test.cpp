#include "platform/unique_resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace brellix::platform {
namespace {

struct RecordingCloser {
    std::vector<int>* closed = nullptr;
    void operator()(int value) const { closed->push_back(value); }
};
using Owner = unique_resource<int, RecordingCloser>;

TEST(UniqueResource, ClosesEachHandleExactlyOnceAcrossMovesResetsAndReleases) {
    std::vector<int> closed;
    {
        Owner a(1, RecordingCloser{&closed});
        Owner b(std::move(a));
        EXPECT_FALSE(a);
        Owner c;
        c = std::move(b);
        c = Owner(2, RecordingCloser{&closed});  // closes 1
        EXPECT_EQ(closed, std::vector<int>{1});
        c.reset(3);  // closes 2
        Owner d(4, RecordingCloser{&closed});
        EXPECT_EQ(d.release(), 4);  // released: never closed
    }  // closes 3
    EXPECT_EQ(closed, (std::vector<int>{1, 2, 3}));
}

// A closer may name another value for "none": then 0 is a handle like any other (a file
// descriptor), and the invalid value is never closed.
struct DescriptorCloser {
    static constexpr int Invalid() { return -1; }
    std::vector<int>* closed = nullptr;
    void operator()(int value) const { closed->push_back(value); }
};

TEST(UniqueResource, TheCloserDecidesWhichValueMeansNone) {
    std::vector<int> closed;
    {
        unique_resource<int, DescriptorCloser> zero(0, DescriptorCloser{&closed});
        unique_resource<int, DescriptorCloser> none(-1, DescriptorCloser{&closed});
        EXPECT_TRUE(zero);
        EXPECT_FALSE(none);
        unique_resource<int, DescriptorCloser> moved(std::move(zero));
        EXPECT_EQ(zero.get(), -1);
    }
    EXPECT_EQ(closed, std::vector<int>{0});
}

}  // namespace
}  // namespace brellix::platform
