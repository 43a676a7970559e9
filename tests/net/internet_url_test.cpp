#include "net/internet_url.h"

#include <gtest/gtest.h>

#include "net/internet_result.h"

namespace corvane {
namespace {

TEST(InternetUrlTest, NormalisationAddsTheServiceOnlyToTextsWithoutAColon) {
  EXPECT_EQ(NormaliseUrl("  example.org/cgi-bin/x?z=1 \t\n"), "http://example.org/cgi-bin/x?z=1");
  EXPECT_EQ(NormaliseUrl("/cgi-bin/x"), "http:/cgi-bin/x");
  EXPECT_EQ(NormaliseUrl("127.0.0.1:8642/x"), "127.0.0.1:8642/x");
  EXPECT_EQ(NormaliseUrl(" https://a/b "), "https://a/b");
  EXPECT_EQ(NormaliseUrl(""), "http://");
}

TEST(InternetUrlTest, OnlyHttpAndHttpsUrlsWithAHostPass) {
  EXPECT_EQ(CheckUrl("http://127.0.0.1:8642/cgi-bin/eggdatareq.pl?z=1&stime=00%3A00%3A00"),
            UrlCheck::kOk);
  EXPECT_EQ(CheckUrl("HTTPS://example.org/"), UrlCheck::kOk);
  EXPECT_EQ(CheckUrl("ftp://example.org/data.gz"), UrlCheck::kWrongService);
  EXPECT_EQ(CheckUrl("gopher://example.org/"), UrlCheck::kWrongService);
  for (const char* url :
       {"http:/cgi-bin/x", "http://", "http:///x", "127.0.0.1:8642/x", "http://host:99999/",
        "http://a b/", "mailto:someone@example.org", "://host/"}) {
    EXPECT_EQ(CheckUrl(url), UrlCheck::kInvalid) << url;
  }
}

TEST(InternetResultTest, TextsOfTheCodes) {
  const char* texts[] = {"Successful", "Invalid URL", "Invalid parameter", "Connection failed",
                         "Timed out",  "Not found",   "Not authorized",    "Disk/file error"};
  for (int code = 0; code < 8; ++code) EXPECT_EQ(InternetResultText(code), texts[code]);
  EXPECT_EQ(InternetResultText(102), "Internet error 102");
  EXPECT_EQ(InternetResultText(8), "Internet error 8");

  EXPECT_EQ(ResultOfHttpStatus(200), kInternetSuccess);
  EXPECT_EQ(ResultOfHttpStatus(304), kInternetSuccess);
  EXPECT_EQ(ResultOfHttpStatus(400), kInternetConnectionFailed);
  EXPECT_EQ(ResultOfHttpStatus(401), kInternetConnectionFailed);
  EXPECT_EQ(ResultOfHttpStatus(403), kInternetNotAuthorized);
  EXPECT_EQ(ResultOfHttpStatus(404), kInternetNotFound);
  EXPECT_EQ(ResultOfHttpStatus(407), kInternetNotAuthorized);
  EXPECT_EQ(ResultOfHttpStatus(500), kInternetConnectionFailed);
}

}  // namespace
}  // namespace corvane
