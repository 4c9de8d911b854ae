#include "pages.h"

#include <charconv>
#include <initializer_list>
#include <utility>

#include "encoding.h"

namespace demo {
namespace {

using Fields = std::initializer_list<std::pair<std::string_view, std::string>>;

// The template with every "{{name}}" replaced by its field.
std::string Fill(std::string_view text, Fields fields) {
  std::string out(text);
  for (const auto& [name, value] : fields) {
    const std::string mark = "{{" + std::string(name) + "}}";
    for (auto at = out.find(mark); at != std::string::npos;
         at = out.find(mark, at + value.size())) {
      out.replace(at, mark.size(), value);
    }
  }
  return out;
}

Page Gbk(std::string utf8, int status = 200) {
  return {status, "text/html; charset=gbk", Utf8ToGbk(utf8)};
}

Page Utf8(std::string utf8) { return {200, "text/html; charset=utf-8", std::move(utf8)}; }

constexpr std::string_view kListingPage = R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>{{heading}}_{{kind}}免费下载 - 图匣站</title>
<meta name="keywords" content="{{heading}},{{kind}},图匣站" />
<link rel="stylesheet" type="text/css" href="/static/css/common.css" />
<script type="text/javascript">var SITE_URL = "http://{{host}}/"; var SEARCH_TOKEN = "{{token}}";</script>
</head>
<body>
<div class="header">
<a class="logo" href="/">图匣站</a>
<ul class="nav"><li><a href="/image/">免抠元素</a></li><li><a href="/tuku/">背景图库</a></li><li><a href="/yishuzi/">艺术字</a></li></ul>
</div>
<div class="crumbs"><a href="/">首页</a> &gt; {{kind}} &gt; {{heading}}</div>
<div class="result-tip">{{tip}}</div>
<ul class="list">
{{items}}</ul>
<div class="pager">{{pager}}</div>
<div class="footer"><p>图匣站 版权所有 &copy; 2026</p><p>本站素材仅供学习交流使用</p></div>
<script type="text/javascript">function page(type, id) { location.href = "/down/" + type + "/" + id; }</script>
</body>
</html>
)html";

constexpr std::string_view kElementItem = R"html(<li class="pic-item">
<a class="pic-link" href="/sucai/{{id}}.html" target="_blank"><img class="lazy" src="/static/img/loading.gif" data-original="http://{{host}}/img/sucai/{{id}}.png" alt="{{title}}" title="{{title}}免抠素材" /></a>
<div class="pic-info"><span class="pic-size">{{size}}</span><a class="pic-down" href="javascript:;" onclick="page(7,{{id}})">透明PNG</a></div>
</li>
)html";

constexpr std::string_view kBackgroundItem = R"html(<li class="bg-item">
<a href="/banner/{{id}}.html" target="_blank"><img class="lazy" src="http://{{host}}/img/banner/{{id}}_s.jpg" title="{{title}}背景图片素材" width="100%" /></a>
<p class="bg-name">{{title}}</p>
<div class="bg-tool"><span class="bg-size">{{size}}</span><span class="collect" data="{{id}}" pictype="8" data-type="0">收藏</span></div>
</li>
)html";

constexpr std::string_view kWordArtItem = R"html(<li class="word-item">
<a href="/wordart/{{id}}.html" target="_blank"><img src="http://{{host}}/img/wordart/{{id}}.png" alt="{{title}}" title="{{title}}艺术字" /></a>
<div class="word-tag"><span class="fmt">透明PNG</span><span data="{{id}}" class="collect">收藏</span></div>
</li>
)html";

constexpr std::string_view kMaterialPage = R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>{{title}}{{kind}} - 图匣站</title>
<link rel="alternate" href="http://{{host}}/m/{{folder}}/{{id}}.html" /><meta name="mobile-agent" content="format=html5;url=http://{{host}}/m/{{folder}}/{{id}}.html" />
<link rel="stylesheet" type="text/css" href="/static/css/detail.css" />
</head>
<body>
<div class="header"><a class="logo" href="/">图匣站</a></div>
<div class="detail">
<h1>{{title}}</h1>
<div class="detail-img"><img class="main-img" alt="{{title}}"  title="{{title}}" src="http://{{host}}/img/{{folder}}/{{picture}}" /></div>
<div class="detail-info"><p>编号：{{id}}</p><p>分类：{{kind}}</p><a class="btn-down" href="/down/{{id}}">立即下载</a></div>
</div>
<div class="footer">图匣站 版权所有</div>
</body>
</html>
)html";

constexpr std::string_view kMobilePage = R"html(<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8" />
<meta name="viewport" content="width=device-width, initial-scale=1" />
<title>{{title}} - 图匣站手机版</title>
</head>
<body>
<header class="m-header"><a href="/">图匣站</a></header>
<div class="m-pic">{{picture}}</div>
<p class="m-title">{{title}}</p>
</body>
</html>
)html";

constexpr std::string_view kLostPage = R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>图匣站丢失页面</title>
</head>
<body>
<div class="lost"><h1>图匣站丢失页面</h1><p>您访问的背景素材已下架，可以在存档中查看。</p><a href="/">返回首页</a></div>
</body>
</html>
)html";

constexpr std::string_view kFallbackPage = R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>{{title}}背景图片_存档 - 图匣站</title>
</head>
<body>
<div class="header"><a class="logo" href="/">图匣站</a></div>
<div class="img-l-box"><img src="http://{{host}}/img/ycbeijing/{{id}}.jpg/quality/90/unsharp/true/compress/true" alt="{{title}}" /></div>
<p class="note">原页面已下架，此为存档图片。</p>
</body>
</html>
)html";

constexpr std::string_view kHomePage = R"html(<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>图匣站 - 免抠元素_背景图片_艺术字 (演示站)</title>
</head>
<body>
<h1>图匣站</h1>
<p>这是图匣站的演示站，运行在 http://{{host}}/ 上，供 tuxia-demo 使用。</p>
<ul><li><a href="/image/.html">热门免抠元素</a></li><li><a href="/tuku/.html">热门背景</a></li><li><a href="/yishuzi/.html">热门艺术字</a></li></ul>
</body>
</html>
)html";

struct CategoryText {
  std::string_view kind;
  std::string_view folder;
  std::string_view item;
};

CategoryText TextOf(Category category) {
  switch (category) {
    case Category::Element:
      return {"免抠元素", "sucai", kElementItem};
    case Category::Background:
      return {"背景图片", "banner", kBackgroundItem};
    case Category::WordArt:
      return {"艺术字", "wordart", kWordArtItem};
  }
  return {};
}

std::string PagePath(Category category, std::string_view token, int page) {
  const std::string t(token);
  const std::string p = std::to_string(page);
  if (category == Category::Element) return "/sucai/0-default-0-0-" + t + "-0-" + p;
  return "/beijing/" + t + "-0-default-0-8-0-0-0-0-" + p + "/";
}

// Links to the other pages of the search; word art has a single page.
std::string Pager(Category category, std::string_view token, int current) {
  if (category == Category::WordArt) return {};
  std::string pager;
  for (int page = 1; page <= PageCount(token); ++page) {
    pager += page == current ? "<span class=\"current\">" + std::to_string(page) + "</span>"
                             : "<a href=\"" + PagePath(category, token, page) + "\">" +
                                   std::to_string(page) + "</a>";
  }
  return pager;
}

int PageNumber(std::string_view text) {
  int page = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), page);
  return error == std::errc() && end == text.data() + text.size() ? page : 0;
}

}  // namespace

Page SearchAnswer(std::string_view gbkKeyword) {
  const std::string token = TokenFor(gbkKeyword);
  const std::string status = token.empty() ? "0" : "1";
  return {200, "application/json; charset=utf-8",
          R"({"status":)" + status + R"(,"res":")" + token + R"(","uid":"0","msg":"ok"})"};
}

Page ListingPage(Category category, std::string_view host, std::string_view token,
                 std::string_view pageText) {
  const CategoryText text = TextOf(category);
  const int page = PageNumber(pageText);
  const std::vector<Material> materials = Materials(category, token, page);
  std::string items;
  for (const Material& material : materials) {
    const std::string size = std::to_string(800 + material.id % 7 * 100) + "x" +
                             std::to_string(600 + material.id % 5 * 100);
    items += Fill(text.item, {{"id", std::to_string(material.id)},
                              {"host", std::string(host)},
                              {"title", material.title},
                              {"size", size}});
  }
  const std::string keyword = KeywordOf(token);
  const std::string heading = keyword.empty() ? "热门" : keyword;
  const std::string tip = materials.empty()
                              ? "没有找到相关素材，换个关键词试试"
                              : "为您找到 " + std::to_string(materials.size() * PageCount(token)) +
                                    " 个相关" + std::string(text.kind) + "，当前第 " +
                                    std::to_string(page) + " 页";
  return Gbk(Fill(kListingPage, {{"heading", heading},
                                 {"kind", std::string(text.kind)},
                                 {"host", std::string(host)},
                                 {"token", std::string(token)},
                                 {"tip", tip},
                                 {"items", items},
                                 {"pager", Pager(category, token, page)}}));
}

Page MaterialPage(Category category, std::string_view host, long id) {
  if (category == Category::Background && IsVanished(id)) return Gbk(std::string(kLostPage), 404);
  const CategoryText text = TextOf(category);
  const std::string picture = category == Category::Element      ? "_view.jpg"
                              : category == Category::Background ? ".jpg"
                                                                 : ".png";
  return Gbk(Fill(kMaterialPage, {{"title", TitleOf(id)},
                                  {"kind", std::string(text.kind)},
                                  {"host", std::string(host)},
                                  {"folder", std::string(text.folder)},
                                  {"id", std::to_string(id)},
                                  {"picture", std::to_string(id) + picture}}));
}

Page MobilePage(Category category, std::string_view host, long id) {
  const CategoryText text = TextOf(category);
  const std::string title = TitleOf(id);
  const std::string address = "http://" + std::string(host) + "/img/" + std::string(text.folder) +
                              "/" + std::to_string(id) +
                              (category == Category::Background ? ".jpg" : ".png");
  std::string picture;
  if (category == Category::Background) {
    picture = "<img alt=\"" + title + "\" title=\"" + title + "\" src=\"" + address + "\" />";
  } else if (category == Category::WordArt || !LacksMobilePicture(id)) {
    picture = "<img src=\"" + address + "\" />";
  } else {
    picture = "<p>图片审核中，请在电脑版查看</p>";
  }
  return Utf8(Fill(kMobilePage, {{"title", title}, {"picture", picture}}));
}

Page FallbackPage(std::string_view host, long id) {
  return Gbk(
      Fill(kFallbackPage,
           {{"title", TitleOf(id)}, {"host", std::string(host)}, {"id", std::to_string(id)}}));
}

Page HomePage(std::string_view host) { return Gbk(Fill(kHomePage, {{"host", std::string(host)}})); }

}  // namespace demo
