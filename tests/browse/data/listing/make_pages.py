#!/usr/bin/env python3
"""Writes the listing fixtures: for every case a folder with page.html (GBK, as the site serves
it) and rows.txt (UTF-8), the rows the list must hold afterwards: number, title and page
address, tab-separated. The realistic pages are built from the item tables below, and their rows
are those items in order; the small pages and their rows are written out by hand.

Run from this folder: python3 make_pages.py
"""
import os
import random

HOST = "http://tuxia.test"


def write_case(name, page, rows):
    os.makedirs(name, exist_ok=True)
    with open(os.path.join(name, "page.html"), "wb") as f:
        f.write(page.encode("gbk"))
    with open(os.path.join(name, "rows.txt"), "w", encoding="utf-8", newline="\n") as f:
        for number, title, address in rows:
            f.write(f"{number}\t{title}\t{address}\n")


# ---- realistic pages ------------------------------------------------------------------------

HEAD = """<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk">
<meta http-equiv="X-UA-Compatible" content="IE=edge">
<title>{keyword}{category}_{keyword}{category}素材免费下载_图匣站</title>
<meta name="keywords" content="{keyword},{keyword}{category},{keyword}透明PNG,{keyword}素材">
<meta name="description" content="图匣站为您找到{count}个{keyword}{category}素材，高清透明PNG，免费下载。">
<link rel="stylesheet" href="/static/css/common.css?v=20230512">
<link rel="stylesheet" href="/static/css/list.css?v=20230512">
<script src="/static/js/jquery-1.12.4.min.js"></script>
<script>
var _hmt = _hmt || [];
(function() {{
  var hm = document.createElement("script");
  hm.src = "https://hm.stats.example.com/hm.js?5f2b1c";
  var s = document.getElementsByTagName("script")[0];
  s.parentNode.insertBefore(hm, s);
}})();
function page(type, id) {{ window.open('/download/' + type + '/' + id + '.html'); }}
var tpl = '<img alt="' + '加载中' + '" src="/static/images/grey.gif">';
</script>
</head>
<body>
<div class="header">
  <div class="wrap">
    <a href="/" class="logo"><img src="/static/images/logo.png" alt="图匣站"></a>
    <ul class="nav">
      <li><a href="/" title="首页">首页</a></li>
      <li class="{element_on}"><a href="/sucai/" title="元素">元素</a></li>
      <li class="{background_on}"><a href="/banner/" title="背景">背景</a></li>
      <li class="{wordart_on}"><a href="/wordart/" title="艺术字">艺术字</a></li>
      <li><a href="/vip/" title="开通VIP" rel="nofollow">VIP会员</a></li>
    </ul>
    <form class="search" action="/index.php" method="get">
      <input type="hidden" name="m" value="search">
      <input type="text" name="keyword" value="{keyword}" placeholder="搜索透明PNG素材、背景、艺术字">
      <button type="submit">搜索</button>
    </form>
  </div>
</div>
<div class="ad-top"><a href="https://ad.example.com/?from=tuxia" rel="nofollow" target="_blank"><img src="/static/ad/vip-960x90.jpg" alt="开通VIP 全站素材免费下载"></a></div>
<div class="crumb wrap"><a href="/">图匣站</a> &gt; <a href="/{section}/">{category}</a> &gt; <span>{keyword}</span></div>
<div class="hot wrap">热门搜索：<a href="/so/xiaomao.html">小猫透明PNG</a> <a href="/so/guoqing.html">国庆背景</a> <a href="/so/xinnian.html">新年艺术字</a> <a href="/so/huaduo.html">花朵透明PNG</a></div>
<div class="filter wrap">
  <span class="label">排序：</span><a class="on" href="javascript:;">综合</a><a href="javascript:;">最新</a><a href="javascript:;">下载最多</a>
  <span class="label">格式：</span><a href="javascript:;" title="PNG">透明PNG</a><a href="javascript:;" title="PSD">PSD</a>
</div>
<div class="list wrap">
"""

AD_BLOCK = """<div class="ad-inline">
  <a href="https://ad.example.com/?slot={slot}" rel="nofollow" target="_blank"><img src="/static/ad/inline-{slot}.jpg" alt="广告"></a>
  <script>(window.slotbydup = window.slotbydup || []).push({{id: "u{slot}5821", container: "ad-{slot}", async: true}});</script>
</div>
"""

FOOT = """</div>
<div class="pages wrap">
  <a href="javascript:;" onclick="page(1)">上一页</a>
  <a class="on" href="javascript:;">1</a><a href="javascript:;" onclick="page(2)">2</a><a href="javascript:;" onclick="page(3)">3</a>
  <a href="javascript:;" onclick="page(2)">下一页</a>
</div>
<div class="footer">
  <p><a href="/about.html" title="关于我们">关于我们</a> | <a href="/copyright.html" title="版权声明">版权声明</a> | <a href="/contact.html">联系我们</a></p>
  <p>图匣站 版权所有 本站素材仅供学习交流 京ICP备00000000号</p>
</div>
<script src="/static/js/lazyload.min.js"></script>
<script>
$("img.lazy").lazyload({{effect: "fadeIn", threshold: 200}});
$(".collect").on("click", function() {{ $.post("/index.php?m=collect", {{id: $(this).attr("data")}}); }});
</script>
</body>
</html>
"""

SUBJECTS = ["小猫咪", "花朵", "气球", "灯笼", "星星", "树叶", "蝴蝶", "月亮", "云朵", "礼物盒",
            "烟花", "彩带", "枫叶", "熊猫", "城市", "山水", "海浪", "雪花", "爱心", "皇冠"]
STYLES = ["手绘", "卡通", "水彩", "中国风", "扁平", "立体", "简约", "可爱", "复古", "唯美"]
ELEMENT_ENDS = ["元素", "装饰", "插画", "图标", "免抠素材", "PNG"]
BACKGROUND_ENDS = ["海报", "banner", "展板", "边框", "纹理"]
WORDS = ["新年快乐", "国庆节", "中秋佳节", "开学季", "双十一", "感恩节", "元旦快乐", "春节",
         "520表白日", "毕业季", "端午安康", "七夕", "圣诞快乐", "儿童节", "劳动节"]
WORD_STYLES = ["金色", "书法", "立体", "创意", "手写", "炫彩", "毛笔", "卡通"]


def element_item(title, number):
    kind = 7 if number % 5 else 3
    args = f"{kind},{number}" if number % 9 else f"2,{kind},{number}"
    return f"""<li class="item">
  <div class="pic">
    <a href="/sucai/{number}.html" target="_blank">
      <img class="lazy" src="/static/images/grey.gif" data-original="//img.tuxiazhan.test/element/2023/05/{number}.png!w260" alt="{title}" title="{title}">
    </a>
  </div>
  <div class="info">
    <p class="name"><a href="/sucai/{number}.html" target="_blank">{title}</a></p>
    <p class="tags"><span class="size">2000×2000</span><span class="format" onclick="page({args})">透明PNG</span><span class="down">下载 {number % 997}</span></p>
  </div>
</li>
"""


def background_item(title, number):
    return f"""<div class="bg-item">
  <a href="/banner/{number}.html" target="_blank" class="pic">
    <img class="lazy" src="/static/images/grey.gif" data-original="//img.tuxiazhan.test/banner/2023/05/{number}.jpg!w400" alt="{title}" title="{title}背景图片素材" width="100%">
  </a>
  <div class="bar"><span class="name">{title}</span><span class="size">1920×1080</span><a class="collect" href="javascript:;" data="{number}" pictype="8" data-type="0">收藏</a></div>
</div>
"""


def wordart_item(title, number):
    return f"""<li class="art">
  <a href="/wordart/{number}.html" target="_blank"><img class="lazy" src="/static/images/grey.gif" data-original="//img.tuxiazhan.test/wordart/2023/05/{number}.png!w300" alt="{title}" title="{title}"></a>
  <p class="name">{title}</p>
  <p class="op"><span class="fmt">透明PNG</span><span data="{number}" class="collect-btn">收藏</span></p>
</li>
"""


CATEGORIES = {
    "element": ("元素", "sucai", element_item),
    "background": ("背景", "banner", background_item),
    "wordart": ("艺术字", "wordart", wordart_item),
}


def titles(category, count, rng):
    made = []
    while len(made) < count:
        if category == "wordart":
            title = rng.choice(WORDS) + rng.choice(WORD_STYLES) + "艺术字"
        elif category == "background":
            title = rng.choice(STYLES) + rng.choice(SUBJECTS) + rng.choice(BACKGROUND_ENDS)
        else:
            title = rng.choice(STYLES) + rng.choice(SUBJECTS) + rng.choice(ELEMENT_ENDS)
        if title not in made:
            made.append(title)
    # Titles are taken as written: entities stay, ASCII and full-width text too.
    made[5] = made[5] + " &amp; 2024"
    made[11] = "（高清）" + made[11]
    return made


def realistic_page(category, keyword, count, first_number, seed):
    name, section, item = CATEGORIES[category]
    rng = random.Random(seed)
    numbers = [first_number + 37 * i + rng.randrange(30) for i in range(count)]
    names = titles(category, count, rng)
    on = {c: ("on" if c == category else "") for c in CATEGORIES}
    body = HEAD.format(keyword=keyword, category=name, count=count * 20, section=section,
                       element_on=on["element"], background_on=on["background"],
                       wordart_on=on["wordart"])
    body += '<ul class="items">\n' if category != "background" else '<div class="items">\n'
    for i, (title, number) in enumerate(zip(names, numbers)):
        if i and i % 12 == 0:
            body += AD_BLOCK.format(slot=i)
        body += item(title, number)
    body += "</ul>\n" if category != "background" else "</div>\n"
    body += FOOT.format()
    rows = [(n, title, f"{HOST}/{section}/{number}.html")
            for n, (title, number) in enumerate(zip(names, numbers), start=1)]
    return body, rows


# ---- small pages, one edge case each ----------------------------------------------------------

SMALL = {
    # Matching ignores case, the cuts do not: the capitals are matched and nothing is cut.
    "element-capitals": ("""<ul>
<li><img ALT="大写标签" TITLE="大写标签"><span onclick="page(7,101)">透明PNG</span></li>
<li><img alt="小写标签" title="小写标签"><span onclick="page(7,102)">透明PNG</span></li>
<li><img alt="小写图标" title="小写图标"><span ONCLICK="PAGE(7,103)">透明png</span></li>
</ul>
""", [
        (1, 'ALT="大写标签" TITLE="', f"{HOST}/sucai/101.html"),
        (2, "小写标签", f"{HOST}/sucai/102.html"),
        (3, "小写图标", f'{HOST}/sucai/103)">透明png.html'),
    ]),
    # The lazy dot stops at the line feed: the second title is lost, and titles and items pair
    # by order, so row 2 gets the second item's address and the third address has no row.
    "element-split-title": ("""<ul>
<li><img alt="第一个标题" title="第一个标题"><span onclick="page(7,201)">透明PNG</span></li>
<li><img alt="跨行的
标题" title="跨行的标题"><span onclick="page(7,202)">透明PNG</span></li>
<li><img alt="第三个标题" title="第三个标题"><span onclick="page(7,203)">透明PNG</span></li>
</ul>
""", [
        (1, "第一个标题", f"{HOST}/sucai/201.html"),
        (2, "第三个标题", f"{HOST}/sucai/202.html"),
    ]),
    # Five titles and seven items: the sixth and seventh addresses are dropped.
    "background-more-items": ("""<div class="items">
<div><img src="a.jpg" alt="蓝天" title="蓝天白云背景图片素材" width="100%"><a data="301" pictype="8" data-type="0">收藏</a></div>
<div><img src="b.jpg" alt="海边" title="海边日落背景图片素材" width="100%"><a data="302" pictype="8" data-type="0">收藏</a></div>
<div><img src="c.jpg" alt="星空" title="璀璨星空背景图片素材" width="100%"><a data="303" pictype="8" data-type="0">收藏</a></div>
<div><img src="d.jpg" alt="森林" title="清晨森林背景图片素材" width="100%"><a data="304" pictype="8" data-type="0">收藏</a></div>
<div><img src="e.jpg" alt="雪山" title="雪山湖泊背景图片素材" width="100%"><a data="305" pictype="8" data-type="0">收藏</a></div>
</div>
<div class="recommend">
<div><img src="f.jpg" alt="推荐"><a data="306" pictype="8" data-type="0">收藏</a></div>
<div><img src="g.jpg" alt="推荐"><a data="307" pictype="8" data-type="0">收藏</a></div>
</div>
""", [
        (1, "蓝天白云", f"{HOST}/banner/301.html"),
        (2, "海边日落", f"{HOST}/banner/302.html"),
        (3, "璀璨星空", f"{HOST}/banner/303.html"),
        (4, "清晨森林", f"{HOST}/banner/304.html"),
        (5, "雪山湖泊", f"{HOST}/banner/305.html"),
    ]),
    # Four titles and two items: the last two rows keep an empty address.
    "wordart-fewer-items": ("""<ul>
<li><img alt="新年快乐" title="新年快乐"><p><span>透明PNG</span><span data="401" class="collect">收藏</span></p></li>
<li><img alt="国庆节" title="国庆节"><p><span>透明PNG</span><span data="402" class="collect">收藏</span></p></li>
<li><img alt="中秋佳节" title="中秋佳节"><p><span>PSD</span></p></li>
<li><img alt="开学季" title="开学季"><p><span>PSD</span></p></li>
</ul>
""", [
        (1, "新年快乐", f"{HOST}/wordart/401.html"),
        (2, "国庆节", f"{HOST}/wordart/402.html"),
        (3, "中秋佳节", ""),
        (4, "开学季", ""),
    ]),
    # No comma between the parentheses: nothing comes after the last comma.
    "element-no-comma": ("""<ul>
<li><img alt="无逗号" title="无逗号"><span onclick="page(501)">透明PNG</span></li>
<li><img alt="有逗号" title="有逗号"><span onclick="page(7,502)">透明PNG</span></li>
</ul>
""", [
        (1, "无逗号", f"{HOST}/sucai/.html"),
        (2, "有逗号", f"{HOST}/sucai/502.html"),
    ]),
    # A cut text inside a title goes as well: every occurrence is removed.
    "element-cut-in-title": ("""<ul>
<li><img alt="七彩alt="气球" title="七彩气球"><span onclick="page(7,601)">透明PNG</span></li>
<li><img alt="普通标题" title="普通标题"><span onclick="page(7,602)">透明PNG</span></li>
</ul>
""", [
        (1, "七彩气球", f"{HOST}/sucai/601.html"),
        (2, "普通标题", f"{HOST}/sucai/602.html"),
    ]),
    # The background title pattern starts at the first " title=" of the line: a link title in
    # front of the image falls into the match, and both " title=" are cut from it.
    "background-link-title": ("""<div class="items">
<div><a href="/banner/701.html" title="热门"><img src="a.jpg" alt="海" title="海边背景图片素材" width="100%"></a><a data="701" pictype="8" data-type="0">收藏</a></div>
</div>
""", [
        (1, '热门"><img src="a.jpg" alt="海海边', f"{HOST}/banner/701.html"),
    ]),
}


def main():
    for category, keyword, count, first, seed in [("element", "花朵", 48, 120001, 1),
                                                  ("background", "国庆", 45, 230001, 2),
                                                  ("wordart", "新年", 42, 340001, 3)]:
        write_case(f"{category}-page", *realistic_page(category, keyword, count, first, seed))
    for name, (page, rows) in SMALL.items():
        write_case(name, page, rows)


if __name__ == "__main__":
    main()
