// The webdriver tool's site server over a socket: each request of a table, hostile
// ones among them, gets its answer, never a byte from outside the site, and it serves on.
#include "process.h"

#include <arpa/inet.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string kIndex = "<p>the site</p>\n";

// Sends "METHOD TARGET" as an HTTP/1.1 request on a connection of its own and
// reads the answer until the server closes it (what came before a reset counts).
std::string httpExchange(int port, const std::string& line)
{
    const std::string request = line + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    std::string reply;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    const timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        char buffer[4096];
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            reply.append(buffer, static_cast<size_t>(n));
        }
    }
    close(fd);
    return reply;
}

TEST(SiteServer, AnswersEveryRequestAndKeepsServing)
{
    // root/secret.txt beside root/site: index.html, links in and out, a folder, a FIFO.
    const fs::path root = ::testing::TempDir() + "webserver_e2e";
    const fs::path site = root / "site";
    fs::remove_all(root);
    fs::create_directories(site / "sub");
    std::ofstream(site / "index.html") << kIndex;
    std::ofstream(root / "secret.txt") << "outside the site folder";
    fs::create_symlink("index.html", site / "inside.html");
    fs::create_symlink("../secret.txt", site / "out.txt");
    fs::create_symlink(fs::absolute(root / "secret.txt"), site / "absolute.txt");
    fs::create_directory_symlink("..", site / "up");
    mkfifo((site / "fifo.html").c_str(), 0600);
    ChildProcess server;
    ASSERT_TRUE(childStart(server, {NODE_PROGRAM, WEBDRIVER_PATH, "serve", site, "0"}, {}));
    int port = 0;  // as the server says, once it serves
    for (int tries = 0; port == 0 && tries < 1000; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::sscanf(readFile(server.outPath).c_str(), "serving %*s on http://127.0.0.1:%d/", &port);
    }
    ASSERT_NE(port, 0) << readFile(server.outPath) << readFile(server.errPath);
    const std::string index = "200 OK\r\nContent-Length: 16\r\n";  // kIndex's length
    const std::string notFound = "404 Not Found\r\nContent-Length: 10\r\n";
    const std::string refused = "405 Method Not Allowed\r\nContent-Length: 19\r\n";
    const std::pair<std::string, std::string> table[] = {  // request, the answer's beginning
        {"GET /", index}, {"GET /inside.html", index}, {"HEAD /index.html", index},
        {"GET /%00", notFound}, {"GET /index.html%00", notFound}, {"GET /../secret.txt", notFound},
        {"GET /%2e%2e/secret.txt", notFound}, {"GET /..%2fsecret.txt", notFound},
        {"GET /%2E%2E%2Fsecret.txt", notFound}, {"GET /..%5csecret.txt", notFound},
        {"GET /%252e%252e%252fsecret.txt", notFound}, {"GET /%c0%ae%c0%ae/secret.txt", notFound},
        {"GET http://127.0.0.1/../secret.txt", notFound},
        {"GET /sub/..%2f..%2fsecret.txt", notFound}, {"GET /out.txt", notFound},
        {"GET /absolute.txt", notFound}, {"GET /up/secret.txt", notFound},
        {"GET /fifo.html", notFound}, {"GET /sub", notFound}, {"GET /sub/", notFound},
        {"GET /%", notFound}, {"GET /" + std::string(14000, 'a'), notFound},
        {"GET /" + std::string(100000, 'a'), "431 "}, {"POST /", refused},
        {"DELETE /index.html", refused}, {"OPTIONS *", refused}, {"TRACE /", refused},
        {"CONNECT 127.0.0.1:22", refused}, {"BREW /index.html", "400 "},
        {std::string("\0\1\2", 3), "400 "},
    };
    int status = -1;
    for (const auto& [line, answer] : table) {
        SCOPED_TRACE(line.substr(0, 60));
        const std::string reply = httpExchange(port, line);
        EXPECT_EQ(reply.rfind("HTTP/1.1 " + answer, 0), 0u) << reply;
        const size_t head = reply.find("\r\n\r\n") + 2;
        if (answer.size() > 4) {  // ours, not Node's own refusal of what it cannot parse
            EXPECT_LT(reply.find("\r\nX-Content-Type-Options: nosniff\r\n"), head);
            EXPECT_EQ(reply.find("\r\nAllow: GET, HEAD\r\n") < head, answer == refused);
            EXPECT_EQ(reply.substr(head + 2, 16) == kIndex, line[0] != 'H' && answer == index);
        }
        EXPECT_EQ(httpExchange(port, "GET /").rfind("HTTP/1.1 " + index, 0), 0u);
        ASSERT_FALSE(childWait(server, 0, status)) << "the server ended: " << server.out;
    }
    childKill(server);
    ChildProcess missing;
    const std::string none = (root / "none").string();
    ASSERT_TRUE(childStart(missing, {NODE_PROGRAM, WEBDRIVER_PATH, "serve", none, "0"}, {}) &&
                childWait(missing, 20000, status));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(missing.out, "webdriver: cannot serve " + none + ": no such folder\n");
    fs::remove_all(root);
}

}  // namespace
