#include "contacts/SafeHtml.h"

#include <gtest/gtest.h>

using namespace korvex::contacts;

TEST(SafeHtml, HostileFragments) {
    HtmlPolicy policy;
    policy.localImagePrefixes = {"file:///home/u/korvex/WebPages/Images/", "file:///home/u/korvex/Data/Temp/"};
    const std::pair<QByteArray, QByteArray> cases[] = {
        // what Korvex itself sends passes unchanged
        {"<b><font size=\"3\" face=\"Tahoma\" color=\"#000080\">a<br>b</font></b>",
         "<b><font size=\"3\" face=\"Tahoma\" color=\"#000080\">a<br>b</font></b>"},
        {"<a href=\"http://a.com\">http://a.com</a>", "<a href=\"http://a.com\">http://a.com</a>"},
        {"<img src=\"file:///home/u/korvex/WebPages/Images/Smile3.gif\">",
         "<img src=\"file:///home/u/korvex/WebPages/Images/Smile3.gif\">"},
        // other tags become text
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"<iframe src=x>", "&lt;iframe src=x&gt;"},
        // other attributes and dangerous values vanish
        {"<b onclick=\"evil()\">x</b>", "<b>x</b>"},
        {"<a href=\"javascript:alert(1)\">x</a>", "<a>x</a>"},
        {"<a href='JAVASCRIPT:x'>y</a>", "<a>y</a>"},
        {"<font color=\"red;background:url(x)\">z</font>", "<font>z</font>"},
        // pictures only from allowed places
        {"<img src=\"file:///etc/passwd\">", ""},
        {"<img src=\"file:///home/u/korvex/Data/Temp/../../.ssh/id_rsa\">", ""},
        {"<img src=\"\\\\server\\share\\x.gif\">", ""},
        {"<img src=\"https://pics.example/a.png\" onerror=\"x()\">", "<img src=\"https://pics.example/a.png\">"},
        // broken markup is shown, never half-interpreted
        {"<a href=\"http://x.com>broken", "&lt;a href=\"http://x.com>broken"},
        {"1 < 2 and 3 > 2", "1 &lt; 2 and 3 > 2"},
        {"<", "&lt;"},
        // quotes in an allowed value cannot break out
        {"<a href='http://x.com/\"onmouseover=\"x'>q</a>", "<a href=\"http://x.com/&quot;onmouseover=&quot;x\">q</a>"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(FilterMessageHtml(in, policy), out) << in.constData();
}

TEST(SafeHtml, OpenableAddresses) {
    for (const char* ok : {"http://a", "HTTPS://a", "ftp://a", "MailTo:x@y"}) EXPECT_TRUE(IsOpenableAddress(ok)) << ok;
    for (const char* bad : {"javascript:x", "file:///etc/passwd", "\\\\host\\share", "smb://h", ""})
        EXPECT_FALSE(IsOpenableAddress(bad)) << bad;
}
