#include <gtest/gtest.h>

#include "orvane/id3v2.h"

namespace {

TEST(Id3v2Shared, FrameIdsCompareWithoutLetterCase) {
    EXPECT_TRUE(orvane::id3v2::frameIdEquals(u"TIT2", u"tit2"));
    EXPECT_TRUE(orvane::id3v2::frameIdEquals(u"T\u00C9ST", u"t\u00E9st"));
    EXPECT_FALSE(orvane::id3v2::frameIdEquals(u"TIT2", u"TIT3"));
    EXPECT_FALSE(orvane::id3v2::frameIdEquals(u"TIT2", u"TIT"));
    EXPECT_FALSE(orvane::id3v2::frameIdEquals(u"T@T2", u"T`T2"));
}

}  // namespace
