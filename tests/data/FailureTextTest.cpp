// The English line every front end but the desktop program shows: glenvar-cli
// prints it after "glenvar-cli: " and scripts match it, so its words are
// fixed; the desktop program's Japanese texts never leak into it.

#include "data/FailureText.h"
#include "data/Failures.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(FailureText, FilesNamedAsGivenWithTheSystemsWordsOrTheCauses) {
    EXPECT_EQ("maps/m.ld: No such file or directory",
              FailureText(FileFailure(FileErrorCause::FileNotFound, "maps/m.ld", ENOENT)));
    EXPECT_EQ("m.png: File too large",
              FailureText(FileFailure(FileErrorCause::DiskFull, "m.png", EFBIG)));
    EXPECT_EQ("m.png: No space left on device",
              FailureText(FileFailure(FileErrorCause::DiskFull, "m.png")));
    EXPECT_EQ("/dev/null: not a regular file",
              FailureText(CommandFailure("/dev/null: not a regular file", FailureKind::File)));
}

TEST(FailureText, TheDesktopsTextsBecomeEnglishAndEnglishTextsStayAsTheyAre) {
    EXPECT_EQ("out of memory", FailureText(MemoryFailure()));
    EXPECT_EQ("unexpected end of file", FailureText(EndOfFileFailure()));
    EXPECT_EQ("unexpected file format", FailureText(FormatFailure()));
    for (FailureKind kind : {FailureKind::Recipe, FailureKind::Setting, FailureKind::Layout,
                             FailureKind::Encoding, FailureKind::Other})
        EXPECT_EQ("x.png: a \"quoted\" word",
                  FailureText(CommandFailure("x.png: a \"quoted\" word", kind)));
}
