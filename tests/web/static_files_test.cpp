// The web client's files as the lab server serves them: what a browser gets, and what a hostile
// client gets for every way of reaching outside the web directory.
#include "labd/static_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using labd::http::Request;
using labd::http::Response;

namespace {

std::string header(const Response &r, const std::string &name)
{
    for (const auto &[n, v] : r.headers)
        if (n == name)
            return v;
    return "";
}

class StaticFiles : public ::testing::Test {
protected:
    fs::path top, root;
    void SetUp() override
    {
        char name[] = "/tmp/brixo-static-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        top = name;
        root = top / "web";
        fs::create_directories(root / "images");
        write(root / "index.html", "<!doctype html><title>Brixo</title>");
        write(root / "app.js", "console.log(1)");
        write(root / "images" / "led_red.svg", "<svg/>");
        write(root / ".hidden", "no");
        write(top / "secret.txt", "outside");
        fs::create_symlink(top / "secret.txt", root / "leak.txt");
        fs::create_symlink(root / "app.js", root / "alias.js");
    }
    void TearDown() override { fs::remove_all(top); }
    static void write(const fs::path &p, const std::string &text) { std::ofstream(p) << text; }
    Response get(const std::string &target, const std::string &method = "GET",
                 std::vector<std::pair<std::string, std::string>> headers = {})
    {
        Request r;
        r.method = method;
        r.target = target;
        r.headers = std::move(headers);
        return labd::staticFile(r, root.string());
    }
};

TEST_F(StaticFiles, ServesTheClientWithItsTypeAndPolicy)
{
    const struct {
        const char *target, *type, *body;
    } cases[] = {
        {"/", "text/html; charset=utf-8", "<!doctype html><title>Brixo</title>"},
        {"/index.html?token=x", "text/html; charset=utf-8", "<!doctype html><title>Brixo</title>"},
        {"/app.js", "text/javascript; charset=utf-8", "console.log(1)"},
        {"/images/led_red.svg", "image/svg+xml", "<svg/>"},
        {"/images/led%5Fred.svg", "image/svg+xml", "<svg/>"},
        {"/alias.js", "text/javascript; charset=utf-8", "console.log(1)"}, // a link that stays inside
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target);
        const Response r = get(c.target);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.contentType, c.type);
        EXPECT_EQ(r.body, c.body);
        EXPECT_EQ(header(r, "Content-Security-Policy"), labd::kContentSecurityPolicy);
        EXPECT_EQ(header(r, "X-Content-Type-Options"), "nosniff");
        EXPECT_EQ(header(r, "Cache-Control"), "no-cache");
    }
    const std::string csp = labd::kContentSecurityPolicy;
    for (const char *rule : {"script-src 'self'", "connect-src 'self'", "default-src 'none'", "frame-ancestors 'none'"})
        EXPECT_NE(csp.find(rule), std::string::npos) << rule;
    EXPECT_EQ(csp.find("unsafe"), std::string::npos);
}

TEST_F(StaticFiles, RefusesEveryWayOutOfTheRoot)
{
    for (const char *target :
         {"/../secret.txt", "/images/../../secret.txt", "/%2e%2e/secret.txt", "/%2E%2E%2Fsecret.txt",
          "/images%2f..%2f..%2fsecret.txt", "/%252e%252e/secret.txt", "/..%5csecret.txt", "/images\\..\\..\\secret.txt",
          "/leak.txt", "/.hidden", "/images/./led_red.svg", "//etc/passwd", "/app.js%00.html", "/missing.js", "/images",
          "/%zz", "/%", "relative.js", ""}) {
        SCOPED_TRACE(target);
        const Response r = get(target);
        EXPECT_EQ(r.status, 404);
        EXPECT_EQ(r.body.find("outside"), std::string::npos);
    }
    EXPECT_EQ(get("/" + std::string(2000, 'a')).status, 404);
}

TEST_F(StaticFiles, AnswersOnlyGetAndHead)
{
    for (const char *method : {"POST", "PUT", "DELETE", "OPTIONS", "TRACE"}) {
        const Response r = get("/index.html", method);
        EXPECT_EQ(r.status, 405) << method;
        EXPECT_EQ(header(r, "Allow"), "GET, HEAD");
    }
    const Response head = get("/app.js", "HEAD");
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.empty());
    EXPECT_EQ(header(head, "ETag"), header(get("/app.js"), "ETag"));
}

TEST_F(StaticFiles, RevalidatesByEtag)
{
    const std::string etag = header(get("/app.js"), "ETag");
    ASSERT_FALSE(etag.empty());
    EXPECT_NE(etag, header(get("/index.html"), "ETag"));
    const struct {
        std::string ifNoneMatch;
        int status;
    } cases[] = {{etag, 304}, {"\"other\", " + etag, 304}, {"W/" + etag, 304}, {"*", 304}, {"\"other\"", 200}};
    for (const auto &c : cases) {
        const Response r = get("/app.js", "GET", {{"If-None-Match", c.ifNoneMatch}});
        EXPECT_EQ(r.status, c.status) << c.ifNoneMatch;
        EXPECT_EQ(r.body.empty(), c.status == 304);
    }
    write(root / "app.js", "console.log(2)");
    EXPECT_EQ(get("/app.js", "GET", {{"If-None-Match", etag}}).status, 200);
}

TEST_F(StaticFiles, FindsTheWebRootBesideTheProgram)
{
    fs::create_directories(top / "bin");
    fs::create_directories(top / "share/brixo");
    fs::create_symlink(root, top / "share/brixo/web");
    write(top / "bin/brixo-labd", "");
    unsetenv("BRIXO_WEB_ROOT");
    EXPECT_EQ(labd::findWebRoot((top / "bin/brixo-labd").string()), fs::canonical(root).string());
    setenv("BRIXO_WEB_ROOT", (top / "bin").c_str(), 1); // names a directory without the page
    EXPECT_EQ(labd::findWebRoot((top / "bin/brixo-labd").string()), "");
    unsetenv("BRIXO_WEB_ROOT");
    EXPECT_EQ(labd::findWebRoot((top / "secret.txt").string()), "");
}

} // namespace
