// The simulator's side of a line keeps every byte for a terminal that stops reading for a
// while, and never makes its loop wait for one.
#include "sim/FdLink.h"
#include "base/VirtualLoop.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Reads from fd until `want` bytes came or nothing arrives for two seconds.
std::string readAll(int fd, size_t want) {
    std::string got;
    char buf[65536];
    while (got.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            break;
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

TEST(FdLink, AReaderThatStopsLosesNothingAndTheWriterNeverWaits) {
    int sv[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv), 0);
    base::VirtualLoop loop;
    std::string sent;
    {
        sim::FdLink link(
            loop, sv[0], sv[0], true, [](std::string) {}, [] {});
        // Far more than the socket buffers hold, in pieces, while nobody reads.
        for (int i = 0; i < 400; ++i) {
            std::string piece(10000, static_cast<char>('A' + i % 26));
            piece += std::to_string(i);
            sent += piece;
            ASSERT_TRUE(link.write(piece));
        }
        EXPECT_GT(link.pending(), 0u); // the rest waits for the reader, in order
        const std::string got = readAll(sv[1], sent.size());
        ASSERT_EQ(got.size(), sent.size());
        EXPECT_TRUE(got == sent);
        EXPECT_EQ(link.pending(), 0u);

        // Once the far side has gone, writing says so.
        ::close(sv[1]);
        bool ok = true;
        for (int i = 0; i < 100 && ok; ++i)
            ok = link.write(std::string(100000, 'z'));
        EXPECT_FALSE(ok);
    }
}

} // namespace
