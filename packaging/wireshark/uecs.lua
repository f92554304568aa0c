-- UECS CCM messages for Wireshark (4.0 and later) and tshark: the data
-- message on UDP 16520, SEARCH/SERVER on 16521, NODESCAN/NODE and
-- CCMSCAN/CCMNUM on 16529. Every form is read the way setarome's decoder
-- reads it, and every departure from the literal one-line form is reported as
-- expert information under the code `setarome-cli lint` gives it. Written
-- for Wireshark 4.0's Lua 5.2 without what later Lua versions dropped (the
-- global unpack, for one).
--
-- Install: copy this file into Wireshark's Lua plugin folder, for one user
-- ~/.local/lib/wireshark/plugins/ (Windows: %APPDATA%\Wireshark\plugins\,
-- macOS: ~/.local/lib/wireshark/plugins/), then restart Wireshark or press
-- Ctrl+Shift+L. Filter with `uecs`, `uecs.type == "WRainfall"`,
-- `uecs.finding == "attribute-order"` or the expert field `uecs.attribute-order`.
--
-- One file on purpose: it is all an engineer has to copy to a laptop.

local uecs = Proto("uecs", "UECS CCM")

-- Limits the decoder works to; see the findings' details below.
local MAX_DECODED_BYTES = 4096
local STRICT_MESSAGE_BYTES = 300
local MAX_TEXT_BYTES = 255
local TYPE_MAX_CHARS = 19
local MAX_ELEMENTS = 64
local MAX_ATTRIBUTES = 160
local MAX_DEPTH = 3
local INT32_MAX = 2147483647
local MAX_ROOM, MAX_REGION, MAX_ORDER, MAX_PRIORITY, MAX_CAST = 127, 127, 30000, 30, 6
local VERSION = "1.00-E10"
-- Bounds on what is remembered across packets, as lint keeps them.
local MAX_SENDERS = 4096
local MAX_ANNOUNCEMENTS = 65536

local CODES = {
    "byte-order-mark", "missing-declaration", "encoding-declared", "ambiguous-encoding",
    "other-version", "space-between-elements", "space-in-tag", "empty-element-form",
    "attribute-order", "missing-attribute", "extra-attribute", "several-data",
    "type-too-long", "out-of-range", "integer-form", "value-not-number", "ip-not-ipv4",
    "id-not-hex", "level-underscore", "too-long", "trailing-nul", "trailing-line-break",
    "value-decimals", "undecodable",
}

local f = {
    kind = ProtoField.string("uecs.kind", "Message"),
    ver = ProtoField.string("uecs.ver", "Version"),
    type = ProtoField.string("uecs.type", "Type"),
    room = ProtoField.int32("uecs.room", "Room"),
    region = ProtoField.int32("uecs.region", "Region"),
    order = ProtoField.int32("uecs.order", "Order"),
    priority = ProtoField.int32("uecs.priority", "Priority"),
    value = ProtoField.string("uecs.value", "Value"),
    ip = ProtoField.string("uecs.ip", "IP"),
    name = ProtoField.string("uecs.name", "Name"),
    vendor = ProtoField.string("uecs.vendor", "Vendor"),
    uecs_id = ProtoField.string("uecs.uecsid", "UECS-ID"),
    mac = ProtoField.string("uecs.mac", "MAC"),
    page = ProtoField.int32("uecs.page", "Page"),
    total = ProtoField.int32("uecs.total", "Total pages"),
    count = ProtoField.int32("uecs.count", "CCMs on the page"),
    number = ProtoField.int32("uecs.number", "CCM number"),
    cast = ProtoField.int32("uecs.cast", "Decimals (cast)"),
    unit = ProtoField.string("uecs.unit", "Unit"),
    sr = ProtoField.string("uecs.sr", "Sent or received (SR)"),
    level = ProtoField.string("uecs.level", "Level (LV)"),
    finding = ProtoField.string("uecs.finding", "Finding"),
    detail = ProtoField.string("uecs.detail", "Finding detail"),
}
uecs.fields = { f.kind, f.ver, f.type, f.room, f.region, f.order, f.priority, f.value, f.ip,
    f.name, f.vendor, f.uecs_id, f.mac, f.page, f.total, f.count, f.number, f.cast, f.unit,
    f.sr, f.level, f.finding, f.detail }

local experts = {}
for _, code in ipairs(CODES) do
    local undecodable = code == "undecodable"
    experts[code] = ProtoExpert.new("uecs." .. code, code,
        undecodable and expert.group.MALFORMED or expert.group.PROTOCOL,
        undecodable and expert.severity.ERROR or expert.severity.WARN)
end
-- Not lint's: the capture kept only part of the datagram (a snap length),
-- so there is nothing whole to judge.
local cut_short = ProtoExpert.new("uecs.cut-short", "datagram cut short by the capture",
    expert.group.UNDECODED, expert.severity.WARN)
local expert_list = { cut_short }
for _, code in ipairs(CODES) do expert_list[#expert_list + 1] = experts[code] end
uecs.experts = expert_list

-- Two-byte Shift-JIS (CP932) as this system's iconv reads it: per lead byte,
-- the characters for trail bytes 0x40..0xFC, U+FFFD where the pair is not a
-- character. Made by make_cp932_rows.py beside this file.
local CP932_ROWS = {
[0x81] = "　、。，．・：；？！゛゜´｀¨＾￣＿ヽヾゝゞ〃仝々〆〇ー―‐／＼～∥｜…‥‘’“”（）〔〕［］｛｝〈〉《》「」『』【】＋－±×�÷＝≠＜＞≦≧∞∴♂♀°′″℃￥＄￠￡％＃＆＊＠§☆★○●◎◇◆□■△▲▽▼※〒→←↑↓〓�����������∈∋⊆⊇⊂⊃∪∩��������∧∨￢⇒⇔∀∃�����������∠⊥⌒∂∇≡≒≪≫√∽∝∵∫∬�������Å‰♯♭♪†‡¶����◯",
[0x82] = "���������������０１２３４５６７８９�������ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ�������ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ����ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとどなにぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをん�����������",
[0x83] = "ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトドナニヌネノハバパヒビピフブプヘベペホボポマミ�ムメモャヤュユョヨラリルレロヮワヰヱヲンヴヵヶ��������ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ��������αβγδεζηθικλμνξοπρστυφχψω��������������������������������������",
[0x84] = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ���������������абвгдеёжзийклмн�опрстуфхцчшщъыьэюя�������������─│┌┐┘└├┬┤┴┼━┃┏┓┛┗┣┳┫┻╋┠┯┨┷┿┝┰┥┸╂��������������������������������������������������������������",
[0x87] = "①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ�㍉㌔㌢㍍㌘㌧㌃㌶㍑㍗㌍㌦㌣㌫㍊㌻㎜㎝㎞㎎㎏㏄㎡��������㍻�〝〟№㏍℡㊤㊥㊦㊧㊨㈱㈲㈹㍾㍽㍼≒≡∫∮∑√⊥∠∟⊿∵∩∪������������������������������������������������������������������������������������������������",
[0x88] = "�����������������������������������������������������������������������������������������������亜唖娃阿哀愛挨姶逢葵茜穐悪握渥旭葦芦鯵梓圧斡扱宛姐虻飴絢綾鮎或粟袷安庵按暗案闇鞍杏以伊位依偉囲夷委威尉惟意慰易椅為畏異移維緯胃萎衣謂違遺医井亥域育郁磯一壱溢逸稲茨芋鰯允印咽員因姻引飲淫胤蔭",
[0x89] = "院陰隠韻吋右宇烏羽迂雨卯鵜窺丑碓臼渦嘘唄欝蔚鰻姥厩浦瓜閏噂云運雲荏餌叡営嬰影映曳栄永泳洩瑛盈穎頴英衛詠鋭液疫益駅悦謁越閲榎厭円�園堰奄宴延怨掩援沿演炎焔煙燕猿縁艶苑薗遠鉛鴛塩於汚甥凹央奥往応押旺横欧殴王翁襖鴬鴎黄岡沖荻億屋憶臆桶牡乙俺卸恩温穏音下化仮何伽価佳加可嘉夏嫁家寡科暇果架歌河火珂禍禾稼箇花苛茄荷華菓蝦課嘩貨迦過霞蚊俄峨我牙画臥芽蛾賀雅餓駕介会解回塊壊廻快怪悔恢懐戒拐改",
[0x8A] = "魁晦械海灰界皆絵芥蟹開階貝凱劾外咳害崖慨概涯碍蓋街該鎧骸浬馨蛙垣柿蛎鈎劃嚇各廓拡撹格核殻獲確穫覚角赫較郭閣隔革学岳楽額顎掛笠樫�橿梶鰍潟割喝恰括活渇滑葛褐轄且鰹叶椛樺鞄株兜竃蒲釜鎌噛鴨栢茅萱粥刈苅瓦乾侃冠寒刊勘勧巻喚堪姦完官寛干幹患感慣憾換敢柑桓棺款歓汗漢澗潅環甘監看竿管簡緩缶翰肝艦莞観諌貫還鑑間閑関陥韓館舘丸含岸巌玩癌眼岩翫贋雁頑顔願企伎危喜器基奇嬉寄岐希幾忌揮机旗既期棋棄",
[0x8B] = "機帰毅気汽畿祈季稀紀徽規記貴起軌輝飢騎鬼亀偽儀妓宜戯技擬欺犠疑祇義蟻誼議掬菊鞠吉吃喫桔橘詰砧杵黍却客脚虐逆丘久仇休及吸宮弓急救�朽求汲泣灸球究窮笈級糾給旧牛去居巨拒拠挙渠虚許距鋸漁禦魚亨享京供侠僑兇競共凶協匡卿叫喬境峡強彊怯恐恭挟教橋況狂狭矯胸脅興蕎郷鏡響饗驚仰凝尭暁業局曲極玉桐粁僅勤均巾錦斤欣欽琴禁禽筋緊芹菌衿襟謹近金吟銀九倶句区狗玖矩苦躯駆駈駒具愚虞喰空偶寓遇隅串櫛釧屑屈",
[0x8C] = "掘窟沓靴轡窪熊隈粂栗繰桑鍬勲君薫訓群軍郡卦袈祁係傾刑兄啓圭珪型契形径恵慶慧憩掲携敬景桂渓畦稽系経継繋罫茎荊蛍計詣警軽頚鶏芸迎鯨�劇戟撃激隙桁傑欠決潔穴結血訣月件倹倦健兼券剣喧圏堅嫌建憲懸拳捲検権牽犬献研硯絹県肩見謙賢軒遣鍵険顕験鹸元原厳幻弦減源玄現絃舷言諺限乎個古呼固姑孤己庫弧戸故枯湖狐糊袴股胡菰虎誇跨鈷雇顧鼓五互伍午呉吾娯後御悟梧檎瑚碁語誤護醐乞鯉交佼侯候倖光公功効勾厚口向",
[0x8D] = "后喉坑垢好孔孝宏工巧巷幸広庚康弘恒慌抗拘控攻昂晃更杭校梗構江洪浩港溝甲皇硬稿糠紅紘絞綱耕考肯肱腔膏航荒行衡講貢購郊酵鉱砿鋼閤降�項香高鴻剛劫号合壕拷濠豪轟麹克刻告国穀酷鵠黒獄漉腰甑忽惚骨狛込此頃今困坤墾婚恨懇昏昆根梱混痕紺艮魂些佐叉唆嵯左差査沙瑳砂詐鎖裟坐座挫債催再最哉塞妻宰彩才採栽歳済災采犀砕砦祭斎細菜裁載際剤在材罪財冴坂阪堺榊肴咲崎埼碕鷺作削咋搾昨朔柵窄策索錯桜鮭笹匙冊刷",
[0x8E] = "察拶撮擦札殺薩雑皐鯖捌錆鮫皿晒三傘参山惨撒散桟燦珊産算纂蚕讃賛酸餐斬暫残仕仔伺使刺司史嗣四士始姉姿子屍市師志思指支孜斯施旨枝止�死氏獅祉私糸紙紫肢脂至視詞詩試誌諮資賜雌飼歯事似侍児字寺慈持時次滋治爾璽痔磁示而耳自蒔辞汐鹿式識鴫竺軸宍雫七叱執失嫉室悉湿漆疾質実蔀篠偲柴芝屡蕊縞舎写射捨赦斜煮社紗者謝車遮蛇邪借勺尺杓灼爵酌釈錫若寂弱惹主取守手朱殊狩珠種腫趣酒首儒受呪寿授樹綬需囚収周",
[0x8F] = "宗就州修愁拾洲秀秋終繍習臭舟蒐衆襲讐蹴輯週酋酬集醜什住充十従戎柔汁渋獣縦重銃叔夙宿淑祝縮粛塾熟出術述俊峻春瞬竣舜駿准循旬楯殉淳�準潤盾純巡遵醇順処初所暑曙渚庶緒署書薯藷諸助叙女序徐恕鋤除傷償勝匠升召哨商唱嘗奨妾娼宵将小少尚庄床廠彰承抄招掌捷昇昌昭晶松梢樟樵沼消渉湘焼焦照症省硝礁祥称章笑粧紹肖菖蒋蕉衝裳訟証詔詳象賞醤鉦鍾鐘障鞘上丈丞乗冗剰城場壌嬢常情擾条杖浄状畳穣蒸譲醸錠嘱埴飾",
[0x90] = "拭植殖燭織職色触食蝕辱尻伸信侵唇娠寝審心慎振新晋森榛浸深申疹真神秦紳臣芯薪親診身辛進針震人仁刃塵壬尋甚尽腎訊迅陣靭笥諏須酢図厨�逗吹垂帥推水炊睡粋翠衰遂酔錐錘随瑞髄崇嵩数枢趨雛据杉椙菅頗雀裾澄摺寸世瀬畝是凄制勢姓征性成政整星晴棲栖正清牲生盛精聖声製西誠誓請逝醒青静斉税脆隻席惜戚斥昔析石積籍績脊責赤跡蹟碩切拙接摂折設窃節説雪絶舌蝉仙先千占宣専尖川戦扇撰栓栴泉浅洗染潜煎煽旋穿箭線",
[0x91] = "繊羨腺舛船薦詮賎践選遷銭銑閃鮮前善漸然全禅繕膳糎噌塑岨措曾曽楚狙疏疎礎祖租粗素組蘇訴阻遡鼠僧創双叢倉喪壮奏爽宋層匝惣想捜掃挿掻�操早曹巣槍槽漕燥争痩相窓糟総綜聡草荘葬蒼藻装走送遭鎗霜騒像増憎臓蔵贈造促側則即息捉束測足速俗属賊族続卒袖其揃存孫尊損村遜他多太汰詑唾堕妥惰打柁舵楕陀駄騨体堆対耐岱帯待怠態戴替泰滞胎腿苔袋貸退逮隊黛鯛代台大第醍題鷹滝瀧卓啄宅托択拓沢濯琢託鐸濁諾茸凧蛸只",
[0x92] = "叩但達辰奪脱巽竪辿棚谷狸鱈樽誰丹単嘆坦担探旦歎淡湛炭短端箪綻耽胆蛋誕鍛団壇弾断暖檀段男談値知地弛恥智池痴稚置致蜘遅馳築畜竹筑蓄�逐秩窒茶嫡着中仲宙忠抽昼柱注虫衷註酎鋳駐樗瀦猪苧著貯丁兆凋喋寵帖帳庁弔張彫徴懲挑暢朝潮牒町眺聴脹腸蝶調諜超跳銚長頂鳥勅捗直朕沈珍賃鎮陳津墜椎槌追鎚痛通塚栂掴槻佃漬柘辻蔦綴鍔椿潰坪壷嬬紬爪吊釣鶴亭低停偵剃貞呈堤定帝底庭廷弟悌抵挺提梯汀碇禎程締艇訂諦蹄逓",
[0x93] = "邸鄭釘鼎泥摘擢敵滴的笛適鏑溺哲徹撤轍迭鉄典填天展店添纏甜貼転顛点伝殿澱田電兎吐堵塗妬屠徒斗杜渡登菟賭途都鍍砥砺努度土奴怒倒党冬�凍刀唐塔塘套宕島嶋悼投搭東桃梼棟盗淘湯涛灯燈当痘祷等答筒糖統到董蕩藤討謄豆踏逃透鐙陶頭騰闘働動同堂導憧撞洞瞳童胴萄道銅峠鴇匿得徳涜特督禿篤毒独読栃橡凸突椴届鳶苫寅酉瀞噸屯惇敦沌豚遁頓呑曇鈍奈那内乍凪薙謎灘捺鍋楢馴縄畷南楠軟難汝二尼弐迩匂賑肉虹廿日乳入",
[0x94] = "如尿韮任妊忍認濡禰祢寧葱猫熱年念捻撚燃粘乃廼之埜嚢悩濃納能脳膿農覗蚤巴把播覇杷波派琶破婆罵芭馬俳廃拝排敗杯盃牌背肺輩配倍培媒梅�楳煤狽買売賠陪這蝿秤矧萩伯剥博拍柏泊白箔粕舶薄迫曝漠爆縛莫駁麦函箱硲箸肇筈櫨幡肌畑畠八鉢溌発醗髪伐罰抜筏閥鳩噺塙蛤隼伴判半反叛帆搬斑板氾汎版犯班畔繁般藩販範釆煩頒飯挽晩番盤磐蕃蛮匪卑否妃庇彼悲扉批披斐比泌疲皮碑秘緋罷肥被誹費避非飛樋簸備尾微枇毘琵眉美",
[0x95] = "鼻柊稗匹疋髭彦膝菱肘弼必畢筆逼桧姫媛紐百謬俵彪標氷漂瓢票表評豹廟描病秒苗錨鋲蒜蛭鰭品彬斌浜瀕貧賓頻敏瓶不付埠夫婦富冨布府怖扶敷�斧普浮父符腐膚芙譜負賦赴阜附侮撫武舞葡蕪部封楓風葺蕗伏副復幅服福腹複覆淵弗払沸仏物鮒分吻噴墳憤扮焚奮粉糞紛雰文聞丙併兵塀幣平弊柄並蔽閉陛米頁僻壁癖碧別瞥蔑箆偏変片篇編辺返遍便勉娩弁鞭保舗鋪圃捕歩甫補輔穂募墓慕戊暮母簿菩倣俸包呆報奉宝峰峯崩庖抱捧放方朋",
[0x96] = "法泡烹砲縫胞芳萌蓬蜂褒訪豊邦鋒飽鳳鵬乏亡傍剖坊妨帽忘忙房暴望某棒冒紡肪膨謀貌貿鉾防吠頬北僕卜墨撲朴牧睦穆釦勃没殆堀幌奔本翻凡盆�摩磨魔麻埋妹昧枚毎哩槙幕膜枕鮪柾鱒桝亦俣又抹末沫迄侭繭麿万慢満漫蔓味未魅巳箕岬密蜜湊蓑稔脈妙粍民眠務夢無牟矛霧鵡椋婿娘冥名命明盟迷銘鳴姪牝滅免棉綿緬面麺摸模茂妄孟毛猛盲網耗蒙儲木黙目杢勿餅尤戻籾貰問悶紋門匁也冶夜爺耶野弥矢厄役約薬訳躍靖柳薮鑓愉愈油癒",
[0x97] = "諭輸唯佑優勇友宥幽悠憂揖有柚湧涌猶猷由祐裕誘遊邑郵雄融夕予余与誉輿預傭幼妖容庸揚揺擁曜楊様洋溶熔用窯羊耀葉蓉要謡踊遥陽養慾抑欲�沃浴翌翼淀羅螺裸来莱頼雷洛絡落酪乱卵嵐欄濫藍蘭覧利吏履李梨理璃痢裏裡里離陸律率立葎掠略劉流溜琉留硫粒隆竜龍侶慮旅虜了亮僚両凌寮料梁涼猟療瞭稜糧良諒遼量陵領力緑倫厘林淋燐琳臨輪隣鱗麟瑠塁涙累類令伶例冷励嶺怜玲礼苓鈴隷零霊麗齢暦歴列劣烈裂廉恋憐漣煉簾練聯",
[0x98] = "蓮連錬呂魯櫓炉賂路露労婁廊弄朗楼榔浪漏牢狼篭老聾蝋郎六麓禄肋録論倭和話歪賄脇惑枠鷲亙亘鰐詫藁蕨椀湾碗腕��������������������������������������������弌丐丕个丱丶丼丿乂乖乘亂亅豫亊舒弍于亞亟亠亢亰亳亶从仍仄仆仂仗仞仭仟价伉佚估佛佝佗佇佶侈侏侘佻佩佰侑佯來侖儘俔俟俎俘俛俑俚俐俤俥倚倨倔倪倥倅伜俶倡倩倬俾俯們倆偃假會偕偐偈做偖偬偸傀傚傅傴傲",
[0x99] = "僉僊傳僂僖僞僥僭僣僮價僵儉儁儂儖儕儔儚儡儺儷儼儻儿兀兒兌兔兢竸兩兪兮冀冂囘册冉冏冑冓冕冖冤冦冢冩冪冫决冱冲冰况冽凅凉凛几處凩凭�凰凵凾刄刋刔刎刧刪刮刳刹剏剄剋剌剞剔剪剴剩剳剿剽劍劔劒剱劈劑辨辧劬劭劼劵勁勍勗勞勣勦飭勠勳勵勸勹匆匈甸匍匐匏匕匚匣匯匱匳匸區卆卅丗卉卍凖卞卩卮夘卻卷厂厖厠厦厥厮厰厶參簒雙叟曼燮叮叨叭叺吁吽呀听吭吼吮吶吩吝呎咏呵咎呟呱呷呰咒呻咀呶咄咐咆哇咢咸咥咬哄哈咨",
[0x9A] = "咫哂咤咾咼哘哥哦唏唔哽哮哭哺哢唹啀啣啌售啜啅啖啗唸唳啝喙喀咯喊喟啻啾喘喞單啼喃喩喇喨嗚嗅嗟嗄嗜嗤嗔嘔嗷嘖嗾嗽嘛嗹噎噐營嘴嘶嘲嘸�噫噤嘯噬噪嚆嚀嚊嚠嚔嚏嚥嚮嚶嚴囂嚼囁囃囀囈囎囑囓囗囮囹圀囿圄圉圈國圍圓團圖嗇圜圦圷圸坎圻址坏坩埀垈坡坿垉垓垠垳垤垪垰埃埆埔埒埓堊埖埣堋堙堝塲堡塢塋塰毀塒堽塹墅墹墟墫墺壞墻墸墮壅壓壑壗壙壘壥壜壤壟壯壺壹壻壼壽夂夊夐夛梦夥夬夭夲夸夾竒奕奐奎奚奘奢奠奧奬奩",
[0x9B] = "奸妁妝佞侫妣妲姆姨姜妍姙姚娥娟娑娜娉娚婀婬婉娵娶婢婪媚媼媾嫋嫂媽嫣嫗嫦嫩嫖嫺嫻嬌嬋嬖嬲嫐嬪嬶嬾孃孅孀孑孕孚孛孥孩孰孳孵學斈孺宀�它宦宸寃寇寉寔寐寤實寢寞寥寫寰寶寳尅將專對尓尠尢尨尸尹屁屆屎屓屐屏孱屬屮乢屶屹岌岑岔妛岫岻岶岼岷峅岾峇峙峩峽峺峭嶌峪崋崕崗嵜崟崛崑崔崢崚崙崘嵌嵒嵎嵋嵬嵳嵶嶇嶄嶂嶢嶝嶬嶮嶽嶐嶷嶼巉巍巓巒巖巛巫已巵帋帚帙帑帛帶帷幄幃幀幎幗幔幟幢幤幇幵并幺麼广庠廁廂廈廐廏",
[0x9C] = "廖廣廝廚廛廢廡廨廩廬廱廳廰廴廸廾弃弉彝彜弋弑弖弩弭弸彁彈彌彎弯彑彖彗彙彡彭彳彷徃徂彿徊很徑徇從徙徘徠徨徭徼忖忻忤忸忱忝悳忿怡恠�怙怐怩怎怱怛怕怫怦怏怺恚恁恪恷恟恊恆恍恣恃恤恂恬恫恙悁悍惧悃悚悄悛悖悗悒悧悋惡悸惠惓悴忰悽惆悵惘慍愕愆惶惷愀惴惺愃愡惻惱愍愎慇愾愨愧慊愿愼愬愴愽慂慄慳慷慘慙慚慫慴慯慥慱慟慝慓慵憙憖憇憬憔憚憊憑憫憮懌懊應懷懈懃懆憺懋罹懍懦懣懶懺懴懿懽懼懾戀戈戉戍戌戔戛",
[0x9D] = "戞戡截戮戰戲戳扁扎扞扣扛扠扨扼抂抉找抒抓抖拔抃抔拗拑抻拏拿拆擔拈拜拌拊拂拇抛拉挌拮拱挧挂挈拯拵捐挾捍搜捏掖掎掀掫捶掣掏掉掟掵捫�捩掾揩揀揆揣揉插揶揄搖搴搆搓搦搶攝搗搨搏摧摯摶摎攪撕撓撥撩撈撼據擒擅擇撻擘擂擱擧舉擠擡抬擣擯攬擶擴擲擺攀擽攘攜攅攤攣攫攴攵攷收攸畋效敖敕敍敘敞敝敲數斂斃變斛斟斫斷旃旆旁旄旌旒旛旙无旡旱杲昊昃旻杳昵昶昴昜晏晄晉晁晞晝晤晧晨晟晢晰暃暈暎暉暄暘暝曁暹曉暾暼",
[0x9E] = "曄暸曖曚曠昿曦曩曰曵曷朏朖朞朦朧霸朮朿朶杁朸朷杆杞杠杙杣杤枉杰枩杼杪枌枋枦枡枅枷柯枴柬枳柩枸柤柞柝柢柮枹柎柆柧檜栞框栩桀桍栲桎�梳栫桙档桷桿梟梏梭梔條梛梃檮梹桴梵梠梺椏梍桾椁棊椈棘椢椦棡椌棍棔棧棕椶椒椄棗棣椥棹棠棯椨椪椚椣椡棆楹楷楜楸楫楔楾楮椹楴椽楙椰楡楞楝榁楪榲榮槐榿槁槓榾槎寨槊槝榻槃榧樮榑榠榜榕榴槞槨樂樛槿權槹槲槧樅榱樞槭樔槫樊樒櫁樣樓橄樌橲樶橸橇橢橙橦橈樸樢檐檍檠檄檢檣",
[0x9F] = "檗蘗檻櫃櫂檸檳檬櫞櫑櫟檪櫚櫪櫻欅蘖櫺欒欖鬱欟欸欷盜欹飮歇歃歉歐歙歔歛歟歡歸歹歿殀殄殃殍殘殕殞殤殪殫殯殲殱殳殷殼毆毋毓毟毬毫毳毯�麾氈氓气氛氤氣汞汕汢汪沂沍沚沁沛汾汨汳沒沐泄泱泓沽泗泅泝沮沱沾沺泛泯泙泪洟衍洶洫洽洸洙洵洳洒洌浣涓浤浚浹浙涎涕濤涅淹渕渊涵淇淦涸淆淬淞淌淨淒淅淺淙淤淕淪淮渭湮渮渙湲湟渾渣湫渫湶湍渟湃渺湎渤滿渝游溂溪溘滉溷滓溽溯滄溲滔滕溏溥滂溟潁漑灌滬滸滾漿滲漱滯漲滌",
[0xE0] = "漾漓滷澆潺潸澁澀潯潛濳潭澂潼潘澎澑濂潦澳澣澡澤澹濆澪濟濕濬濔濘濱濮濛瀉瀋濺瀑瀁瀏濾瀛瀚潴瀝瀘瀟瀰瀾瀲灑灣炙炒炯烱炬炸炳炮烟烋烝�烙焉烽焜焙煥煕熈煦煢煌煖煬熏燻熄熕熨熬燗熹熾燒燉燔燎燠燬燧燵燼燹燿爍爐爛爨爭爬爰爲爻爼爿牀牆牋牘牴牾犂犁犇犒犖犢犧犹犲狃狆狄狎狒狢狠狡狹狷倏猗猊猜猖猝猴猯猩猥猾獎獏默獗獪獨獰獸獵獻獺珈玳珎玻珀珥珮珞璢琅瑯琥珸琲琺瑕琿瑟瑙瑁瑜瑩瑰瑣瑪瑶瑾璋璞璧瓊瓏瓔珱",
[0xE1] = "瓠瓣瓧瓩瓮瓲瓰瓱瓸瓷甄甃甅甌甎甍甕甓甞甦甬甼畄畍畊畉畛畆畚畩畤畧畫畭畸當疆疇畴疊疉疂疔疚疝疥疣痂疳痃疵疽疸疼疱痍痊痒痙痣痞痾痿�痼瘁痰痺痲痳瘋瘍瘉瘟瘧瘠瘡瘢瘤瘴瘰瘻癇癈癆癜癘癡癢癨癩癪癧癬癰癲癶癸發皀皃皈皋皎皖皓皙皚皰皴皸皹皺盂盍盖盒盞盡盥盧盪蘯盻眈眇眄眩眤眞眥眦眛眷眸睇睚睨睫睛睥睿睾睹瞎瞋瞑瞠瞞瞰瞶瞹瞿瞼瞽瞻矇矍矗矚矜矣矮矼砌砒礦砠礪硅碎硴碆硼碚碌碣碵碪碯磑磆磋磔碾碼磅磊磬",
[0xE2] = "磧磚磽磴礇礒礑礙礬礫祀祠祗祟祚祕祓祺祿禊禝禧齋禪禮禳禹禺秉秕秧秬秡秣稈稍稘稙稠稟禀稱稻稾稷穃穗穉穡穢穩龝穰穹穽窈窗窕窘窖窩竈窰�窶竅竄窿邃竇竊竍竏竕竓站竚竝竡竢竦竭竰笂笏笊笆笳笘笙笞笵笨笶筐筺笄筍笋筌筅筵筥筴筧筰筱筬筮箝箘箟箍箜箚箋箒箏筝箙篋篁篌篏箴篆篝篩簑簔篦篥籠簀簇簓篳篷簗簍篶簣簧簪簟簷簫簽籌籃籔籏籀籐籘籟籤籖籥籬籵粃粐粤粭粢粫粡粨粳粲粱粮粹粽糀糅糂糘糒糜糢鬻糯糲糴糶糺紆",
[0xE3] = "紂紜紕紊絅絋紮紲紿紵絆絳絖絎絲絨絮絏絣經綉絛綏絽綛綺綮綣綵緇綽綫總綢綯緜綸綟綰緘緝緤緞緻緲緡縅縊縣縡縒縱縟縉縋縢繆繦縻縵縹繃縷�縲縺繧繝繖繞繙繚繹繪繩繼繻纃緕繽辮繿纈纉續纒纐纓纔纖纎纛纜缸缺罅罌罍罎罐网罕罔罘罟罠罨罩罧罸羂羆羃羈羇羌羔羞羝羚羣羯羲羹羮羶羸譱翅翆翊翕翔翡翦翩翳翹飜耆耄耋耒耘耙耜耡耨耿耻聊聆聒聘聚聟聢聨聳聲聰聶聹聽聿肄肆肅肛肓肚肭冐肬胛胥胙胝胄胚胖脉胯胱脛脩脣脯腋",
[0xE4] = "隋腆脾腓腑胼腱腮腥腦腴膃膈膊膀膂膠膕膤膣腟膓膩膰膵膾膸膽臀臂膺臉臍臑臙臘臈臚臟臠臧臺臻臾舁舂舅與舊舍舐舖舩舫舸舳艀艙艘艝艚艟艤�艢艨艪艫舮艱艷艸艾芍芒芫芟芻芬苡苣苟苒苴苳苺莓范苻苹苞茆苜茉苙茵茴茖茲茱荀茹荐荅茯茫茗茘莅莚莪莟莢莖茣莎莇莊荼莵荳荵莠莉莨菴萓菫菎菽萃菘萋菁菷萇菠菲萍萢萠莽萸蔆菻葭萪萼蕚蒄葷葫蒭葮蒂葩葆萬葯葹萵蓊葢蒹蒿蒟蓙蓍蒻蓚蓐蓁蓆蓖蒡蔡蓿蓴蔗蔘蔬蔟蔕蔔蓼蕀蕣蕘蕈",
[0xE5] = "蕁蘂蕋蕕薀薤薈薑薊薨蕭薔薛藪薇薜蕷蕾薐藉薺藏薹藐藕藝藥藜藹蘊蘓蘋藾藺蘆蘢蘚蘰蘿虍乕虔號虧虱蚓蚣蚩蚪蚋蚌蚶蚯蛄蛆蚰蛉蠣蚫蛔蛞蛩蛬�蛟蛛蛯蜒蜆蜈蜀蜃蛻蜑蜉蜍蛹蜊蜴蜿蜷蜻蜥蜩蜚蝠蝟蝸蝌蝎蝴蝗蝨蝮蝙蝓蝣蝪蠅螢螟螂螯蟋螽蟀蟐雖螫蟄螳蟇蟆螻蟯蟲蟠蠏蠍蟾蟶蟷蠎蟒蠑蠖蠕蠢蠡蠱蠶蠹蠧蠻衄衂衒衙衞衢衫袁衾袞衵衽袵衲袂袗袒袮袙袢袍袤袰袿袱裃裄裔裘裙裝裹褂裼裴裨裲褄褌褊褓襃褞褥褪褫襁襄褻褶褸襌褝襠襞",
[0xE6] = "襦襤襭襪襯襴襷襾覃覈覊覓覘覡覩覦覬覯覲覺覽覿觀觚觜觝觧觴觸訃訖訐訌訛訝訥訶詁詛詒詆詈詼詭詬詢誅誂誄誨誡誑誥誦誚誣諄諍諂諚諫諳諧�諤諱謔諠諢諷諞諛謌謇謚諡謖謐謗謠謳鞫謦謫謾謨譁譌譏譎證譖譛譚譫譟譬譯譴譽讀讌讎讒讓讖讙讚谺豁谿豈豌豎豐豕豢豬豸豺貂貉貅貊貍貎貔豼貘戝貭貪貽貲貳貮貶賈賁賤賣賚賽賺賻贄贅贊贇贏贍贐齎贓賍贔贖赧赭赱赳趁趙跂趾趺跏跚跖跌跛跋跪跫跟跣跼踈踉跿踝踞踐踟蹂踵踰踴蹊",
[0xE7] = "蹇蹉蹌蹐蹈蹙蹤蹠踪蹣蹕蹶蹲蹼躁躇躅躄躋躊躓躑躔躙躪躡躬躰軆躱躾軅軈軋軛軣軼軻軫軾輊輅輕輒輙輓輜輟輛輌輦輳輻輹轅轂輾轌轉轆轎轗轜�轢轣轤辜辟辣辭辯辷迚迥迢迪迯邇迴逅迹迺逑逕逡逍逞逖逋逧逶逵逹迸遏遐遑遒逎遉逾遖遘遞遨遯遶隨遲邂遽邁邀邊邉邏邨邯邱邵郢郤扈郛鄂鄒鄙鄲鄰酊酖酘酣酥酩酳酲醋醉醂醢醫醯醪醵醴醺釀釁釉釋釐釖釟釡釛釼釵釶鈞釿鈔鈬鈕鈑鉞鉗鉅鉉鉤鉈銕鈿鉋鉐銜銖銓銛鉚鋏銹銷鋩錏鋺鍄錮",
[0xE8] = "錙錢錚錣錺錵錻鍜鍠鍼鍮鍖鎰鎬鎭鎔鎹鏖鏗鏨鏥鏘鏃鏝鏐鏈鏤鐚鐔鐓鐃鐇鐐鐶鐫鐵鐡鐺鑁鑒鑄鑛鑠鑢鑞鑪鈩鑰鑵鑷鑽鑚鑼鑾钁鑿閂閇閊閔閖閘閙�閠閨閧閭閼閻閹閾闊濶闃闍闌闕闔闖關闡闥闢阡阨阮阯陂陌陏陋陷陜陞陝陟陦陲陬隍隘隕隗險隧隱隲隰隴隶隸隹雎雋雉雍襍雜霍雕雹霄霆霈霓霎霑霏霖霙霤霪霰霹霽霾靄靆靈靂靉靜靠靤靦靨勒靫靱靹鞅靼鞁靺鞆鞋鞏鞐鞜鞨鞦鞣鞳鞴韃韆韈韋韜韭齏韲竟韶韵頏頌頸頤頡頷頽顆顏顋顫顯顰",
[0xE9] = "顱顴顳颪颯颱颶飄飃飆飩飫餃餉餒餔餘餡餝餞餤餠餬餮餽餾饂饉饅饐饋饑饒饌饕馗馘馥馭馮馼駟駛駝駘駑駭駮駱駲駻駸騁騏騅駢騙騫騷驅驂驀驃�騾驕驍驛驗驟驢驥驤驩驫驪骭骰骼髀髏髑髓體髞髟髢髣髦髯髫髮髴髱髷髻鬆鬘鬚鬟鬢鬣鬥鬧鬨鬩鬪鬮鬯鬲魄魃魏魍魎魑魘魴鮓鮃鮑鮖鮗鮟鮠鮨鮴鯀鯊鮹鯆鯏鯑鯒鯣鯢鯤鯔鯡鰺鯲鯱鯰鰕鰔鰉鰓鰌鰆鰈鰒鰊鰄鰮鰛鰥鰤鰡鰰鱇鰲鱆鰾鱚鱠鱧鱶鱸鳧鳬鳰鴉鴈鳫鴃鴆鴪鴦鶯鴣鴟鵄鴕鴒鵁鴿鴾鵆鵈",
[0xEA] = "鵝鵞鵤鵑鵐鵙鵲鶉鶇鶫鵯鵺鶚鶤鶩鶲鷄鷁鶻鶸鶺鷆鷏鷂鷙鷓鷸鷦鷭鷯鷽鸚鸛鸞鹵鹹鹽麁麈麋麌麒麕麑麝麥麩麸麪麭靡黌黎黏黐黔黜點黝黠黥黨黯�黴黶黷黹黻黼黽鼇鼈皷鼕鼡鼬鼾齊齒齔齣齟齠齡齦齧齬齪齷齲齶龕龜龠堯槇遙瑤凜熙����������������������������������������������������������������������������������������",
[0xED] = "纊褜鍈銈蓜俉炻昱棈鋹曻彅丨仡仼伀伃伹佖侒侊侚侔俍偀倢俿倞偆偰偂傔僴僘兊兤冝冾凬刕劜劦勀勛匀匇匤卲厓厲叝﨎咜咊咩哿喆坙坥垬埈埇﨏�塚增墲夋奓奛奝奣妤妺孖寀甯寘寬尞岦岺峵崧嵓﨑嵂嵭嶸嶹巐弡弴彧德忞恝悅悊惞惕愠惲愑愷愰憘戓抦揵摠撝擎敎昀昕昻昉昮昞昤晥晗晙晴晳暙暠暲暿曺朎朗杦枻桒柀栁桄棏﨓楨﨔榘槢樰橫橆橳橾櫢櫤毖氿汜沆汯泚洄涇浯涖涬淏淸淲淼渹湜渧渼溿澈澵濵瀅瀇瀨炅炫焏焄煜煆煇凞燁燾犱",
[0xEE] = "犾猤猪獷玽珉珖珣珒琇珵琦琪琩琮瑢璉璟甁畯皂皜皞皛皦益睆劯砡硎硤硺礰礼神祥禔福禛竑竧靖竫箞精絈絜綷綠緖繒罇羡羽茁荢荿菇菶葈蒴蕓蕙�蕫﨟薰蘒﨡蠇裵訒訷詹誧誾諟諸諶譓譿賰賴贒赶﨣軏﨤逸遧郞都鄕鄧釚釗釞釭釮釤釥鈆鈐鈊鈺鉀鈼鉎鉙鉑鈹鉧銧鉷鉸鋧鋗鋙鋐﨧鋕鋠鋓錥錡鋻﨨錞鋿錝錂鍰鍗鎤鏆鏞鏸鐱鑅鑈閒隆﨩隝隯霳霻靃靍靏靑靕顗顥飯飼餧館馞驎髙髜魵魲鮏鮱鮻鰀鵰鵫鶴鸙黑��ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹ￢￤＇＂",
[0xF0] = "�",
[0xF1] = "�",
[0xF2] = "�",
[0xF3] = "�",
[0xF4] = "�",
[0xF5] = "�",
[0xF6] = "�",
[0xF7] = "�",
[0xF8] = "�",
[0xF9] = "�",
[0xFA] = "ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ￢￤＇＂㈱№℡∵纊褜鍈銈蓜俉炻昱棈鋹曻彅丨仡仼伀伃伹佖侒侊侚侔俍偀倢俿倞偆偰偂傔僴僘兊�兤冝冾凬刕劜劦勀勛匀匇匤卲厓厲叝﨎咜咊咩哿喆坙坥垬埈埇﨏塚增墲夋奓奛奝奣妤妺孖寀甯寘寬尞岦岺峵崧嵓﨑嵂嵭嶸嶹巐弡弴彧德忞恝悅悊惞惕愠惲愑愷愰憘戓抦揵摠撝擎敎昀昕昻昉昮昞昤晥晗晙晴晳暙暠暲暿曺朎朗杦枻桒柀栁桄棏﨓楨﨔榘槢樰橫橆橳橾櫢櫤毖氿汜沆汯泚洄涇浯",
[0xFB] = "涖涬淏淸淲淼渹湜渧渼溿澈澵濵瀅瀇瀨炅炫焏焄煜煆煇凞燁燾犱犾猤猪獷玽珉珖珣珒琇珵琦琪琩琮瑢璉璟甁畯皂皜皞皛皦益睆劯砡硎硤硺礰礼神�祥禔福禛竑竧靖竫箞精絈絜綷綠緖繒罇羡羽茁荢荿菇菶葈蒴蕓蕙蕫﨟薰蘒﨡蠇裵訒訷詹誧誾諟諸諶譓譿賰賴贒赶﨣軏﨤逸遧郞都鄕鄧釚釗釞釭釮釤釥鈆鈐鈊鈺鉀鈼鉎鉙鉑鈹鉧銧鉷鉸鋧鋗鋙鋐﨧鋕鋠鋓錥錡鋻﨨錞鋿錝錂鍰鍗鎤鏆鏞鏸鐱鑅鑈閒隆﨩隝隯霳霻靃靍靏靑靕顗顥飯飼餧館馞驎髙",
[0xFC] = "髜魵魲鮏鮱鮻鰀鵰鵫鶴鸙黑���������������������������������������������������������������������������������������������������������������������������������������������������������������������������������",
}

-- Splits each row into a lookup by (lead << 8 | trail); rows are UTF-8, and
-- Wireshark's Lua (5.2) has no utf8 library, so the walk is by lead byte.
local cp932 = {}
for lead, row in pairs(CP932_ROWS) do
    local trail, at = 0x40, 1
    while at <= #row do
        local b = row:byte(at)
        local length = b < 0x80 and 1 or b < 0xE0 and 2 or b < 0xF0 and 3 or 4
        local char = row:sub(at, at + length - 1)
        if char ~= "\239\191\189" then cp932[lead * 256 + trail] = char end
        trail, at = trail + 1, at + length
    end
end
CP932_ROWS = nil

-- Converts Shift-JIS to UTF-8. Returns the text, or nil and the 0-based
-- offset of the first byte that is not (the start of) a character.
local function from_shift_jis(bytes)
    local out, at = {}, 1
    while at <= #bytes do
        local b = bytes:byte(at)
        if b < 0x80 then
            out[#out + 1] = string.char(b)
            at = at + 1
        elseif b >= 0xA1 and b <= 0xDF then
            -- Half-width katakana: U+FF61..U+FF9F.
            local code = 0xFF61 + b - 0xA1
            out[#out + 1] = string.char(0xEF, 0x80 + math.floor(code / 64) % 64, 0x80 + code % 64)
            at = at + 1
        else
            local char = at < #bytes and cp932[b * 256 + bytes:byte(at + 1)]
            if not char then return nil, at - 1 end
            out[#out + 1] = char
            at = at + 2
        end
    end
    return table.concat(out)
end

-- The length of the UTF-8 character at `at` (1-based), or 0 when the bytes
-- there are not one: overlong forms, surrogates and code points above
-- U+10FFFF are not.
local function utf8_length(text, at)
    local lead = text:byte(at)
    if lead < 0x80 then return 1 end
    local length, lo, hi = 0, 0x80, 0xBF
    if lead >= 0xC2 and lead <= 0xDF then
        length = 2
    elseif lead >= 0xE0 and lead <= 0xEF then
        length = 3
        lo = lead == 0xE0 and 0xA0 or 0x80
        hi = lead == 0xED and 0x9F or 0xBF
    elseif lead >= 0xF0 and lead <= 0xF4 then
        length = 4
        lo = lead == 0xF0 and 0x90 or 0x80
        hi = lead == 0xF4 and 0x8F or 0xBF
    else
        return 0
    end
    if #text - at + 1 < length then return 0 end
    local second = text:byte(at + 1)
    if second < lo or second > hi then return 0 end
    for i = 2, length - 1 do
        local b = text:byte(at + i)
        if b < 0x80 or b > 0xBF then return 0 end
    end
    return length
end

-- Characters in UTF-8 text; a stray byte counts as one.
local function utf8_chars(text)
    local chars, at = 0, 1
    while at <= #text do
        at = at + math.max(utf8_length(text, at), 1)
        chars = chars + 1
    end
    return chars
end

-- Where the text stops being plain (0-based offsets, or nil): the first
-- control character, the first byte that is not UTF-8, the first that is
-- not ASCII.
local function check_text(text)
    -- Most datagrams are printable ASCII: one search in C says so.
    if not text:find("[^\t\n\r\32-\127]") then return nil, nil, nil end
    local control, not_utf8, non_ascii
    local at = 1
    while at <= #text do
        local c = text:byte(at)
        if c >= 0x20 and c < 0x80 then
            at = at + 1
        elseif c < 0x20 then
            if c ~= 9 and c ~= 10 and c ~= 13 then return at - 1, not_utf8, non_ascii end
            at = at + 1
        else
            non_ascii = non_ascii or at - 1
            local length = not_utf8 == nil and utf8_length(text, at) or 0
            if length == 0 then
                not_utf8 = not_utf8 or at - 1
                length = 1
            end
            at = at + length
        end
    end
    return control, not_utf8, non_ascii
end

-- Four decimal numbers 0..255 split by dots, without leading zeros, sign or
-- anything around them.
local function is_ipv4(text)
    local parts = { text:match("^(%d+)%.(%d+)%.(%d+)%.(%d+)$") }
    if #parts ~= 4 then return false end
    for _, part in ipairs(parts) do
        if #part > 3 or tonumber(part) > 255 or (#part > 1 and part:sub(1, 1) == "0") then
            return false
        end
    end
    return true
end

-- Twelve upper-case hexadecimal digits (UECSID, MAC).
local function is_hex_id(text)
    return #text == 12 and text:match("^[0-9A-F]+$") ~= nil
end

-- "literal", "unusual" (leading zeros, "-0") or nil (not a 32-bit integer),
-- and the value.
local function parse_integer(text)
    local sign, digits = text:match("^(%-?)(%d+)$")
    if not digits then return nil end
    local value = tonumber(digits)
    if sign == "-" then value = -value end
    if value > INT32_MAX or value < -INT32_MAX - 1 then return nil end
    local unusual = (#digits > 1 and digits:sub(1, 1) == "0") or (sign == "-" and value == 0)
    return unusual and "unusual" or "literal", value
end

-- The decimals a value is written with, or -1 when it is not a number.
local function value_decimals(value)
    if value:match("^%-?%d+$") then return 0 end
    local decimals = value:match("^%-?%d+%.(%d+)$")
    return decimals and #decimals or -1
end

local ENTITIES = { lt = "<", gt = ">", amp = "&", quot = '"', apos = "'" }

local function resolve_entities(raw)
    return (raw:gsub("&([a-z]+);", ENTITIES))
end

-- Letters A-Z lowered. Lua's own classes and lower() follow the C locale
-- Wireshark runs in, which on some systems takes bytes above 0x7F (or 'I')
-- for other letters than the decoder does.
local function ascii_lower(text)
    return (text:gsub("[A-Z]", function(c) return string.char(c:byte() + 32) end))
end

-- The encoding an XML declaration names, by the names senders write.
local SHIFT_JIS_NAMES = { "shift_jis", "shift-jis", "sjis", "x-sjis", "cp932", "ms932", "windows-31j", "ms_kanji" }
local function declared_encoding(attributes)
    for _, attribute in ipairs(attributes) do
        if attribute.name == "encoding" then
            local value = ascii_lower(attribute.value)
            for _, name in ipairs(SHIFT_JIS_NAMES) do
                if value == name then return "Shift-JIS" end
            end
            if value == "utf-8" or value == "utf8" then return "UTF-8" end
        end
    end
    return nil
end

-- The elements of the forms, what each holds, and where each may stand.
local CONTENT = {
    UECS = "children", NODE = "children",
    NODESCAN = "nothing", CCMSCAN = "nothing", SEARCH = "nothing",
    DATA = "text", IP = "text", NAME = "text", VENDER = "text", UECSID = "text",
    MAC = "text", CCMNUM = "text", CCM = "text", SERVER = "text",
}
local NODE_CHILDREN = { NAME = true, VENDER = true, UECSID = true, IP = true, MAC = true }

local function allowed_in(child, parent)
    if parent == nil then return child == "UECS" end
    if parent == "UECS" then return child ~= "UECS" and not (NODE_CHILDREN[child] and child ~= "IP") end
    if parent == "NODE" then return NODE_CHILDREN[child] == true end
    return false
end

local function is_space(c)
    return c == 32 or c == 9 or c == 10 or c == 13
end

-- Scans one datagram's text. Positions are 0-based offsets into the text;
-- a failure is raised as {what, offset, name} and caught by scan().
local Scanner = {}
Scanner.__index = Scanner

function Scanner:at(i)
    return self.text:byte(i + 1) or 0
end

function Scanner:fail(what, offset, name)
    error({ what = what, offset = offset, name = name }, 0)
end

function Scanner:skip_spaces()
    local start = self.pos
    local after = self.text:find("[^ \t\n\r]", start + 1)
    self.pos = after and after - 1 or #self.text
    return self.pos - start
end

function Scanner:read_name()
    local name = self.text:match("^[A-Za-z0-9_%-%.:]*", self.pos + 1)
    self.pos = self.pos + #name
    return name
end

function Scanner:space_in_tag(offset)
    self.doc.space_in_tag = self.doc.space_in_tag or offset
end

-- Only the five predefined entities: character references would let text
-- hide bytes the encoding checks never saw.
function Scanner:check_entities(raw, base, in_attribute)
    local lt = in_attribute and raw:find("<", 1, true)
    if lt then self:fail("'<' in an attribute value", base + lt - 1) end
    local amp = raw:find("&", 1, true)
    while amp do
        local semicolon = raw:find(";", amp, true)
        local entity = raw:sub(amp, semicolon or #raw)
        if not (entity == "&lt;" or entity == "&gt;" or entity == "&amp;" or entity == "&quot;" or entity == "&apos;") then
            self:fail("unknown entity or character reference", base + amp - 1)
        end
        amp = raw:find("&", amp + 1, true)
    end
end

function Scanner:attribute(list)
    local name_at = self.pos
    local name = self:read_name()
    if name == "" then self:fail("malformed attribute", self.pos) end
    if self:skip_spaces() ~= 0 then self:space_in_tag(name_at + #name) end
    if self:at(self.pos) ~= 61 then self:fail("attribute without a value", self.pos, name) end
    self.pos = self.pos + 1
    if self:skip_spaces() ~= 0 then self:space_in_tag(self.pos) end
    if self:at(self.pos) == 39 then self:fail("attribute value in single quotes", self.pos, name) end
    if self:at(self.pos) ~= 34 then self:fail("attribute value without quotes", self.pos, name) end
    local value_at = self.pos + 1
    local close = self.text:find('"', value_at + 1, true)
    if not close then self:fail("unterminated attribute value", value_at - 1, name) end
    local value = self.text:sub(value_at + 1, close - 1)
    self:check_entities(value, value_at, true)
    self.pos = close
    for _, other in ipairs(list) do
        if other.name == name then self:fail("attribute given twice", name_at, name) end
    end
    if self.doc.attributes == MAX_ATTRIBUTES then self:fail("too many attributes", name_at) end
    self.doc.attributes = self.doc.attributes + 1
    list[#list + 1] = { name = name, value = value, at = value_at }
end

-- Attributes up to the tag's end: '>' or "/>", or "?>" for the
-- declaration; returns them and whether the element closed itself. The
-- literal form has exactly one space before each attribute.
function Scanner:attributes(declaration)
    local list = {}
    while true do
        local space_at = self.pos
        local spaces = self:skip_spaces()
        local c = self:at(self.pos)
        local close = declaration and "?>" or c == 47 and "/>" or ">"
        if c == close:byte(1) then
            if #close == 2 and self:at(self.pos + 1) ~= close:byte(2) then self:fail("malformed tag", self.pos) end
            if spaces ~= 0 then self:space_in_tag(space_at) end
            self.pos = self.pos + #close
            return list, c == 47
        end
        if self.pos == #self.text then self:fail("unterminated tag", self.pos) end
        if spaces == 0 then self:fail("attribute without a space before it", self.pos) end
        if spaces > 1 or self:at(space_at) ~= 32 then self:space_in_tag(space_at) end
        self:attribute(list)
    end
end

function Scanner:close_tag(expected)
    local tag_at = self.pos
    self.pos = self.pos + 2
    local name = self:read_name()
    if name ~= expected then self:fail("end tag does not match", tag_at, name == "" and expected or name) end
    if self:skip_spaces() ~= 0 then self:space_in_tag(tag_at + 2 + #name) end
    if self:at(self.pos) ~= 62 then self:fail("malformed end tag", self.pos, name) end
    self.pos = self.pos + 1
end

function Scanner:text_content(element)
    local lt = self.text:find("<", self.pos + 1, true)
    if not lt then self:fail("unclosed element", #self.text, element.id) end
    element.text, element.text_at = self.text:sub(self.pos + 1, lt - 1), self.pos
    self:check_entities(element.text, self.pos, false)
    self.pos = lt - 1
    if self:at(self.pos + 1) ~= 47 then self:fail("element holds only text", self.pos, element.id) end
    self:close_tag(element.id)
end

function Scanner:start_tag()
    local tag_at, stack = self.pos, self.stack
    self.pos = self.pos + 1
    local name = self:read_name()
    if name == "" then self:fail("malformed tag", tag_at) end
    if not CONTENT[name] then self:fail("unknown element", tag_at, name) end
    if #stack == 0 and self.root_done then self:fail("second root element", tag_at, name) end
    if not allowed_in(name, stack[#stack]) then
        self:fail(#stack == 0 and "the root element is not UECS" or "element out of place", tag_at, name)
    end
    local elements = self.doc.elements
    if #elements == MAX_ELEMENTS then self:fail("too many elements", tag_at) end
    local element = { id = name, depth = #stack, offset = tag_at }
    elements[#elements + 1] = element
    element.attributes, element.self_closed = self:attributes(false)
    -- An empty text that still says where it is, for messages about it.
    element.text, element.text_at = "", self.pos
    if element.self_closed then
        self.root_done = #stack == 0
    elseif CONTENT[name] == "text" then
        self:text_content(element)
    else
        if #stack == MAX_DEPTH then self:fail("elements nested too deep", tag_at, name) end
        stack[#stack + 1] = name
    end
end

function Scanner:end_tag()
    local stack = self.stack
    if #stack == 0 then self:fail("end tag without a start tag", self.pos) end
    self:close_tag(stack[#stack])
    stack[#stack] = nil
    self.root_done = #stack == 0
end

function Scanner:run()
    if self.text:sub(1, 5) == "<?xml" and (is_space(self:at(5)) or self:at(5) == 63) then
        self.pos = 5
        self.doc.declaration = self:attributes(true)
    end
    while true do
        local space_at = self.pos
        if self:skip_spaces() ~= 0 then self.doc.space_between = self.doc.space_between or space_at end
        if self.pos == #self.text then break end
        local c, next = self:at(self.pos), self:at(self.pos + 1)
        if c ~= 60 then
            self:fail(#self.stack ~= 0 and "text where none belongs" or self.root_done and "text after the root element"
                or "text before the root element", self.pos)
        end
        if next == 33 then
            self:fail(self.text:sub(self.pos + 1, self.pos + 4) == "<!--" and "comment" or "DOCTYPE or CDATA section",
                self.pos)
        end
        if next == 63 then self:fail("processing instruction", self.pos) end
        if next == 47 then self:end_tag() else self:start_tag() end
    end
    if #self.stack ~= 0 then self:fail("unclosed element", self.pos, self.stack[#self.stack]) end
    if not self.root_done then self:fail("no UECS element", self.pos) end
end

-- Runs `method` of `object`, turning a failure it raised (a table) into
-- nil and the failure; any other error is a fault and goes on up.
local function attempt(object, method)
    local ok, problem = pcall(method, object)
    if ok then return true end
    if type(problem) ~= "table" then error(problem, 0) end
    return false, problem
end

-- The scanned document: an optional declaration and one UECS element tree,
-- in document order, offsets 0-based within the scanned text. Values are
-- raw (entities unresolved, but only the five predefined ones admitted).
-- Returns it, or nil and {what, name, offset} at the first thing outside
-- the forms' grammar.
local function scan(text)
    local scanner = setmetatable({ text = text, pos = 0, stack = {}, root_done = false,
        doc = { elements = {}, attributes = 0 } }, Scanner)
    local ok, problem = attempt(scanner, Scanner.run)
    if ok then return scanner.doc end
    return nil, problem
end

-- Each element's attributes in the literal form's order; false: optional.
local EXPECTED = {
    declaration = { { "version", true }, { "encoding", false } },
    UECS = { { "ver", true } },
    DATA = { { "type", true }, { "room", true }, { "region", true }, { "order", true }, { "priority", true } },
    CCMSCAN = { { "page", false } },
    CCMNUM = { { "page", true }, { "total", true } },
    CCM = { { "No", true }, { "room", true }, { "region", true }, { "order", true }, { "priority", true },
        { "cast", true }, { "unit", true }, { "SR", true }, { "LV", true } },
    SEARCH = { { "type", true }, { "room", true }, { "region", true }, { "order", true } },
    SERVER = { { "type", true }, { "room", true }, { "region", true }, { "order", true }, { "priority", true } },
}
local NODE_ORDER = { "NAME", "VENDER", "UECSID", "IP", "MAC" }
local NODE_FIELDS = { NAME = "name", VENDER = "vendor", UECSID = "uecs_id", IP = "ip", MAC = "mac" }
local EMPTY_FORM = { NODESCAN = true, CCMSCAN = true, SEARCH = true }

-- Reads a scanned document as one of the forms into `message` (kind,
-- fields with their byte spans, findings). A refusal is raised as {what,
-- offset} and caught by read_form().
local FormReader = {}
FormReader.__index = FormReader

function FormReader:note(code, detail)
    self.message.findings[#self.message.findings + 1] = { code = code, detail = detail }
end

function FormReader:fail(what, offset)
    error({ what = what, offset = offset }, 0)
end

-- Finds each expected attribute among an element's, noting every one not
-- expected, any out of the expected order and each required one missing.
function FormReader:match(list, expected, where)
    local found, last, out_of_order = {}, 1, false
    for _, attribute in ipairs(list) do
        local index = nil
        for i, want in ipairs(expected) do
            if want[1] == attribute.name then index = i break end
        end
        if index == nil then
            self:note("extra-attribute", where .. " has an extra attribute " .. attribute.name)
        else
            out_of_order = out_of_order or index < last
            last = index
            found[index] = attribute
        end
    end
    if out_of_order then self:note("attribute-order", where .. " has its attributes out of order") end
    for i, want in ipairs(expected) do
        if want[2] and found[i] == nil then self:note("missing-attribute", where .. " lacks the attribute " .. want[1]) end
    end
    return found
end

-- The element's expected attributes, found; the empty-element form is part
-- of the literal text too.
function FormReader:attributes(element)
    local empty = EMPTY_FORM[element.id] == true
    if element.self_closed ~= empty and element.id ~= "NODE" and element.id ~= "UECS" then
        self:note("empty-element-form", "<" .. element.id .. ">" ..
            (empty and " written with an end tag" or " written as an empty element"))
    end
    return self:match(element.attributes, EXPECTED[element.id] or {}, "<" .. element.id .. ">")
end

function FormReader:integer_text(raw, at, what, key, lo, hi)
    local form, value = parse_integer(raw)
    if form == nil then self:fail(what .. " is not an integer", at) end
    if form == "unusual" then self:note("integer-form", what .. ' "' .. raw .. '" is not written as a plain integer') end
    if value < lo or value > hi then
        self:note("out-of-range", what .. ' "' .. raw .. '" is outside ' .. lo .. ".." .. (hi == INT32_MAX and "" or hi))
    end
    self.fields[key], self.spans[key] = value, { at, #raw }
end

function FormReader:integer(attribute, key, lo, hi)
    if attribute then self:integer_text(attribute.value, attribute.at, attribute.name, key, lo, hi) end
end

-- Entities resolved and Shift-JIS converted; the result's length is bounded.
function FormReader:text(raw, at, key)
    local out = resolve_entities(raw)
    if self.shift_jis then out = from_shift_jis(out) end
    if #out > MAX_TEXT_BYTES then self:fail("text longer than " .. MAX_TEXT_BYTES .. " bytes", at) end
    if key then self.fields[key], self.spans[key] = out, { at, #raw } end
    return out
end

function FormReader:attribute_text(attribute, key)
    if attribute then self:text(attribute.value, attribute.at, key) end
end

function FormReader:type_text(raw, at)
    local out = self:text(raw, at, "type")
    if utf8_chars(out) > TYPE_MAX_CHARS then
        self:note("type-too-long", 'type "' .. out .. '" is longer than ' .. TYPE_MAX_CHARS .. " characters")
    end
end

function FormReader:type_attribute(attribute)
    if attribute then self:type_text(attribute.value, attribute.at) end
end

function FormReader:ip_text(element)
    local out = self:text(element.text, element.text_at, "ip")
    if not is_ipv4(out) then self:note("ip-not-ipv4", "<" .. element.id .. '> "' .. out .. '" is not an IPv4 address') end
end

-- The form ends with element `count` (1-based): nothing may follow it.
function FormReader:last_element(count)
    local extra = self.elements[count + 1]
    if extra then self:fail("unexpected element <" .. extra.id .. ">", extra.offset) end
end

function FormReader:one_data(element)
    local found = self:attributes(element)
    self:type_attribute(found[1])
    self:integer(found[2], "room", 0, MAX_ROOM)
    self:integer(found[3], "region", 0, MAX_REGION)
    self:integer(found[4], "order", 0, MAX_ORDER)
    self:integer(found[5], "priority", 0, MAX_PRIORITY)
    local value = self:text(element.text, element.text_at, "value")
    if value_decimals(value) < 0 then self:note("value-not-number", 'value "' .. value .. '" is not a number') end
end

function FormReader:data()
    self.message.kind = "data"
    local elements, i = self.elements, 2
    while elements[i] and elements[i].id == "DATA" do
        if i == 3 then
            self:note("several-data", "more than one <DATA> in the datagram")
            -- Later ones are checked as well, but only the first is kept.
            self.fields, self.spans = {}, {}
        end
        self:one_data(elements[i])
        i = i + 1
    end
    self.fields, self.spans = self.message.fields, self.message.spans
    local ip = elements[i]
    if not ip or ip.id ~= "IP" then self:fail("<DATA> without <IP> after it", ip and ip.offset or #self.body) end
    self:attributes(ip)
    self:ip_text(ip)
    self:last_element(i)
end

function FormReader:node()
    self.message.kind = "node"
    local elements = self.elements
    self:attributes(elements[2])
    for k, id in ipairs(NODE_ORDER) do
        local element = elements[2 + k]
        if not element or element.id ~= id or element.depth ~= 2 then
            self:fail("<NODE> needs <NAME>, <VENDER>, <UECSID>, <IP> and <MAC> in this order",
                element and element.offset or elements[2].offset)
        end
        self:attributes(element)
        if id == "IP" then
            self:ip_text(element)
        else
            local out = self:text(element.text, element.text_at, NODE_FIELDS[id])
            if (id == "UECSID" or id == "MAC") and not is_hex_id(out) then
                self:note("id-not-hex", "<" .. id .. '> "' .. out .. '" is not 12 upper-case hex digits')
            end
        end
    end
    self:last_element(2 + #NODE_ORDER)
end

function FormReader:ccm_scan()
    self.message.kind = "ccmscan"
    self.fields.page = 1
    self:integer(self:attributes(self.elements[2])[1], "page", 1, INT32_MAX)
    self:last_element(2)
end

-- CCMNUM's page, total and count.
function FormReader:ccm_page(number)
    local pages = self:attributes(number)
    self:integer(pages[1], "page", 1, INT32_MAX)
    self:integer(pages[2], "total", 0, INT32_MAX)
    self:integer_text(number.text, number.text_at, "<CCMNUM>", "count", 0, INT32_MAX)
    if pages[1] and pages[2] and self.fields.page > self.fields.total then
        self:note("out-of-range", "page " .. self.fields.page .. " is beyond the total " .. self.fields.total)
    end
end

function FormReader:ccm_scan_reply()
    self.message.kind = "ccmscan-reply"
    self:ccm_page(self.elements[2])
    local ccm, fields = self.elements[3], self.fields
    if not ccm or ccm.id ~= "CCM" then self:fail("<CCMNUM> without <CCM> after it", ccm and ccm.offset or #self.body) end
    local found = self:attributes(ccm)
    self:integer(found[1], "number", 1, INT32_MAX)
    self:integer(found[2], "room", 0, MAX_ROOM)
    self:integer(found[3], "region", 0, MAX_REGION)
    self:integer(found[4], "order", 0, MAX_ORDER)
    self:integer(found[5], "priority", 0, MAX_PRIORITY)
    self:integer(found[6], "cast", 0, MAX_CAST)
    self:attribute_text(found[7], "unit")
    self:attribute_text(found[8], "sr")
    self:attribute_text(found[9], "level")
    self:type_text(ccm.text, ccm.text_at)
    if found[8] and fields.sr ~= "S" and fields.sr ~= "R" then
        self:note("out-of-range", 'SR "' .. fields.sr .. '" is neither S nor R')
    end
    if (fields.level or ""):find("_", 1, true) then
        self:note("level-underscore", 'LV "' .. fields.level .. "\" is written with '_'")
    end
    self:last_element(3)
end

-- SEARCH, and SERVER (its reply) with a priority and the address.
function FormReader:search(kind)
    self.message.kind = kind
    local element = self.elements[2]
    local found = self:attributes(element)
    self:type_attribute(found[1])
    self:integer(found[2], "room", 0, MAX_ROOM)
    self:integer(found[3], "region", 0, MAX_REGION)
    self:integer(found[4], "order", 0, MAX_ORDER)
    if kind == "search-reply" then
        self:integer(found[5], "priority", 0, MAX_PRIORITY)
        self:ip_text(element)
    end
    self:last_element(2)
end

function FormReader:declaration()
    local declaration = self.doc.declaration
    if not declaration then
        self:note("missing-declaration", "no XML declaration")
        return
    end
    local found = self:match(declaration, EXPECTED.declaration, "the XML declaration")
    if found[1] and found[1].value ~= "1.0" then self:fail("XML version other than 1.0", found[1].at) end
    if found[2] then
        self:note("encoding-declared", "the XML declaration names an encoding (" .. found[2].value .. ")")
    end
end

local FORMS = {
    DATA = FormReader.data,
    NODESCAN = function(self)
        self.message.kind = "nodescan"
        self:attributes(self.elements[2])
        self:last_element(2)
    end,
    NODE = FormReader.node,
    CCMSCAN = FormReader.ccm_scan,
    CCMNUM = FormReader.ccm_scan_reply,
    SEARCH = function(self) self:search("search") end,
    SERVER = function(self) self:search("search-reply") end,
}

function FormReader:run()
    self:declaration()
    local root = self.elements[1]
    local ver = self:attributes(root)[1]
    if not ver then self:fail("<UECS> without ver", root.offset) end
    self.fields.ver, self.spans.ver = ver.value, { ver.at, #ver.value }
    if ver.value ~= VERSION then self:note("other-version", 'ver="' .. ver.value .. '" is not ' .. VERSION) end
    local first = self.elements[2]
    if not first then self:fail("<UECS> is empty", root.offset) end
    local form = FORMS[first.id]
    if not form then self:fail("unexpected element <" .. first.id .. ">", first.offset) end
    form(self)
end

-- Reads a scanned document as one of the forms into `message`; returns
-- nil, or what refuses the form and the offset within the scanned text.
local function read_form(text, shift_jis, doc, message)
    message.fields, message.spans = {}, {}
    local reader = setmetatable({ body = text, shift_jis = shift_jis, doc = doc, elements = doc.elements,
        message = message, fields = message.fields, spans = message.spans }, FormReader)
    local ok, problem = attempt(reader, FormReader.run)
    if ok then return nil end
    return problem.what, problem.offset
end

local function refuse(what, offset)
    return { error = what, offset = offset, findings = {} }
end

local function note(message, code, detail)
    message.findings[#message.findings + 1] = { code = code, detail = detail }
end

-- Strips what senders add around the message (a byte order mark, trailing
-- NULs and line breaks), noting each; returns the body and its offset.
local function trim(datagram, message)
    local first, last = 1, #datagram
    if datagram:sub(1, 3) == "\239\187\191" then
        note(message, "byte-order-mark", "a UTF-8 byte order mark in front")
        first = 4
    end
    local nul, line_break = false, false
    while last >= first do
        local c = datagram:byte(last)
        if c == 0 then nul = true elseif c == 10 or c == 13 then line_break = true else break end
        last = last - 1
    end
    if nul then note(message, "trailing-nul", "NUL bytes after the message") end
    if line_break then note(message, "trailing-line-break", "a line break after the message") end
    if #datagram > STRICT_MESSAGE_BYTES then
        note(message, "too-long", #datagram .. " bytes, over the " .. STRICT_MESSAGE_BYTES ..
            " that the smallest receivers read")
    end
    return datagram:sub(first, last), first - 1
end

-- Which encoding to read text in that is valid UTF-8 and valid Shift-JIS
-- alike, noted: a receiver that guesses may read another text than was sent.
local function choose_ambiguous(message, doc, preferred, at)
    local declared = declared_encoding(doc.declaration or {})
    local chosen = declared or preferred or "UTF-8"
    local why = declared and "as the declaration names" or preferred and "as its sender wrote before" or "by default"
    note(message, "ambiguous-encoding", "text from byte " .. at ..
        " reads as UTF-8 and as Shift-JIS alike; read as " .. chosen .. ", " .. why)
    message.evident = declared
    return chosen == "Shift-JIS"
end

-- Decodes one datagram as the forms' reader does. Text that reads both as
-- UTF-8 and as Shift-JIS is read in the encoding the declaration names,
-- else in `preferred` (what its sender used before), else as UTF-8. The
-- result has kind, fields, spans (0-based within the datagram), findings
-- and `evident` (the encoding the datagram shows), or error and offset.
local function decode(datagram, preferred)
    if #datagram > MAX_DECODED_BYTES then
        return refuse("longer than " .. MAX_DECODED_BYTES .. " bytes", MAX_DECODED_BYTES)
    end
    local message = { findings = {} }
    local body, base = trim(datagram, message)
    local control, not_utf8, non_ascii = check_text(body)
    if control then return refuse("a control character", base + control) end
    local shift_jis = false
    if not_utf8 then
        local text, bad = from_shift_jis(body)
        if not text then return refuse("neither UTF-8 nor Shift-JIS", base + math.max(not_utf8, bad)) end
        shift_jis, message.evident = true, "Shift-JIS"
    elseif non_ascii and not from_shift_jis(body) then
        message.evident, non_ascii = "UTF-8", nil
    end
    local doc, problem = scan(body)
    if not doc then
        local what = problem.what
        if problem.name and problem.name ~= "" then what = what .. ": " .. problem.name:sub(1, 32) end
        return refuse(what, base + problem.offset)
    end
    if doc.space_between then
        note(message, "space-between-elements", "white space between elements at byte " .. (base + doc.space_between))
    end
    if doc.space_in_tag then
        note(message, "space-in-tag", "white space inside a tag at byte " .. (base + doc.space_in_tag))
    end
    if non_ascii and not shift_jis then shift_jis = choose_ambiguous(message, doc, preferred, base + non_ascii) end
    local what, offset = read_form(body, shift_jis, doc, message)
    if what then return refuse(what, base + offset) end
    for _, span in pairs(message.spans) do span[1] = span[1] + base end
    return message
end

-- What lint remembers across datagrams: each sender's encoding (the most
-- recent MAX_SENDERS senders) and the decimals each CCM is announced with by
-- CCMSCAN replies (the latest MAX_ANNOUNCEMENTS). Reset with each capture.
local senders, announced, given_casts
local function forget_all()
    senders = { encoding = {}, heard = {}, clock = 0, count = 0 }
    announced = { cast = {}, queue = {}, head = 1, tail = 0 }
end
forget_all()

local function remember_sender(source, encoding)
    senders.clock = senders.clock + 1
    if senders.encoding[source] == nil then
        if senders.count == MAX_SENDERS then
            -- Forget the sender heard least recently.
            local oldest, oldest_at = nil, math.huge
            for known, at in pairs(senders.heard) do
                if at < oldest_at then oldest, oldest_at = known, at end
            end
            senders.encoding[oldest], senders.heard[oldest] = nil, nil
        else
            senders.count = senders.count + 1
        end
    end
    senders.encoding[source], senders.heard[source] = encoding, senders.clock
end

-- The announcement key of the CCM a data message or CCMSCAN reply names.
local function ccm_key(source, fields)
    return table.concat({ source, fields.type or "", fields.room or 0, fields.region or 0, fields.order or 0 }, "\0")
end

local function announce(key, cast)
    if announced.cast[key] == nil then
        announced.tail = announced.tail + 1
        announced.queue[announced.tail] = key
        if announced.tail - announced.head + 1 > MAX_ANNOUNCEMENTS then
            announced.cast[announced.queue[announced.head]] = nil
            announced.queue[announced.head] = nil
            announced.head = announced.head + 1
        end
    end
    announced.cast[key] = cast
end

-- The decimals given by hand for a type from any sender (lint's --cast),
-- from the preference: "TYPE=N" pairs, N 0..9, split by spaces or commas.
-- An entry in another form is reported (a dialog in Wireshark, a line on
-- standard error in tshark) and passed over.
given_casts = {}
uecs.prefs.casts = Pref.string("Announced decimals", "",
    "TYPE=N pairs, split by spaces or commas, as lint's --cast: values of TYPE are written with N " ..
    "decimals unless a CCMSCAN reply earlier in the capture announces the CCM otherwise")

function uecs.prefs_changed()
    given_casts = {}
    for entry in uecs.prefs.casts:gmatch("[^%s,]+") do
        local type, cast = entry:match("^(.+)=(%d)$")
        if type then
            given_casts[type] = tonumber(cast)
        else
            report_failure("UECS: Announced decimals: " .. entry .. " is not TYPE=N with N 0..9")
        end
    end
end


-- Adds what lint adds to the decoder's findings: a datagram that does not
-- decode, and a value written with other decimals than `cast`.
local function lint_findings(message, cast)
    local findings, fields = message.findings, message.fields
    if message.error then
        findings[1] = { code = "undecodable", detail = message.error .. " (byte " .. message.offset .. ")" }
        return message
    end
    local decimals = message.kind == "data" and value_decimals(fields.value)
    if cast and decimals and decimals >= 0 and decimals ~= cast then
        findings[#findings + 1] = { code = "value-decimals", detail = 'value "' .. fields.value .. '" has ' ..
            decimals .. (decimals == 1 and " decimal; " or " decimals; ") .. (fields.type or "") ..
            ' is announced with cast="' .. cast .. '"' }
    end
    return message
end

-- What the first pass judged each frame with, for the frames where it
-- mattered (its sender's encoding known, its CCM's decimals announced), so
-- that later passes (Wireshark redraws, filters) judge them alike without
-- keeping every result.
local heard_before = {}

-- One datagram judged as lint judges it, on the first pass in capture order
-- (lint's order): decoded as its sender wrote before, then its value's
-- decimals against what its CCM was announced with.
local function judge(pinfo, datagram)
    if pinfo.visited then
        local before = heard_before[pinfo.number] or {}
        return lint_findings(decode(datagram, before.preferred), before.cast)
    end
    local source = tostring(pinfo.src)
    local preferred = senders.encoding[source]
    local message = decode(datagram, preferred)
    if message.error then return lint_findings(message) end
    if message.evident then remember_sender(source, message.evident) end
    local cast
    if message.kind == "ccmscan-reply" then
        announce(ccm_key(source, message.fields), message.fields.cast or 0)
    elseif message.kind == "data" then
        cast = announced.cast[ccm_key(source, message.fields)] or given_casts[message.fields.type or ""]
    end
    if preferred or cast then heard_before[pinfo.number] = { preferred = preferred, cast = cast } end
    return lint_findings(message, cast)
end

-- Each kind's fields in the order captures write them, with the values the
-- decoder gives an absent attribute.
local KIND_FIELDS = {
    data = { { "type", "" }, { "room", 0 }, { "region", 0 }, { "order", 0 }, { "priority", 0 },
        { "value", "" }, { "ip", "" } },
    nodescan = {},
    node = { { "name", "" }, { "vendor", "" }, { "uecs_id", "" }, { "ip", "" }, { "mac", "" } },
    ccmscan = { { "page", 1 } },
    ["ccmscan-reply"] = { { "page", 1 }, { "total", 0 }, { "count", 1 }, { "number", 1 }, { "room", 0 },
        { "region", 0 }, { "order", 0 }, { "priority", 0 }, { "cast", 0 }, { "unit", "" }, { "sr", "" },
        { "level", "" }, { "type", "" } },
    search = { { "type", "" }, { "room", 0 }, { "region", 0 }, { "order", 0 } },
    ["search-reply"] = { { "type", "" }, { "room", 0 }, { "region", 0 }, { "order", 0 }, { "priority", 0 },
        { "ip", "" } },
}

local function ccm_text(v)
    return (v.type or "") .. " room " .. (v.room or 0) .. " region " .. (v.region or 0) .. " order " .. (v.order or 0)
end

-- The Info column's line for a message.
local function summary(message)
    local v = message.fields or {}
    local text
    if message.error then
        text = "undecodable: " .. message.error .. " (byte " .. message.offset .. ")"
    elseif message.kind == "data" then
        text = "DATA " .. ccm_text(v) .. " priority " .. (v.priority or 0) .. " = " .. (v.value or "") ..
            " (IP " .. (v.ip or "") .. ")"
    elseif message.kind == "nodescan" then
        text = "NODESCAN"
    elseif message.kind == "node" then
        text = "NODE " .. (v.name or "") .. " (" .. (v.vendor or "") .. ") IP " .. (v.ip or "") .. " MAC " .. (v.mac or "")
    elseif message.kind == "ccmscan" then
        text = "CCMSCAN page " .. v.page
    elseif message.kind == "ccmscan-reply" then
        text = "CCMNUM page " .. (v.page or 1) .. "/" .. (v.total or 0) .. ": " .. ccm_text(v) .. " cast " ..
            (v.cast or 0) .. " " .. (v.sr or "") .. " " .. (v.level or "")
    elseif message.kind == "search" then
        text = "SEARCH " .. ccm_text(v)
    else
        text = "SERVER " .. ccm_text(v) .. " priority " .. (v.priority or 0) .. " at " .. (v.ip or "")
    end
    local count = #message.findings - (message.error and 1 or 0)
    if count > 0 then text = text .. " [" .. count .. (count == 1 and " finding]" or " findings]") end
    return text
end

function uecs.init()
    heard_before = {}
    forget_all()
end

-- The message's fields, each over the bytes it was read from; one the
-- datagram lacks shows the value the decoder gives it, marked generated.
local function add_fields(subtree, tvb, message)
    subtree:add(f.kind, message.kind):set_generated()
    if message.fields.ver then subtree:add(f.ver, tvb(message.spans.ver[1], message.spans.ver[2]), message.fields.ver) end
    for _, field in ipairs(KIND_FIELDS[message.kind]) do
        local name = field[1]
        local span = message.spans[name]
        if span then
            subtree:add(f[name], tvb(span[1], span[2]), message.fields[name])
        else
            subtree:add(f[name], field[2]):set_generated()
        end
    end
end

local function add_findings(subtree, message)
    for _, finding in ipairs(message.findings) do
        local item = subtree:add(f.finding, finding.code)
        item:add(f.detail, finding.detail)
        item:add_proto_expert_info(experts[finding.code], finding.code .. ": " .. finding.detail)
    end
end

function uecs.dissector(tvb, pinfo, tree)
    pinfo.cols.protocol = "UECS"
    if tvb:len() < tvb:reported_len() then
        -- Judging a part would report findings the sender never caused,
        -- and would teach the sender's encoding from half a text.
        local line = "datagram cut short by the capture: " .. tvb:len() .. " of " .. tvb:reported_len() .. " bytes"
        pinfo.cols.info = line
        tree:add(uecs, tvb()):add_proto_expert_info(cut_short, line)
        return tvb:len()
    end
    local message = judge(pinfo, tvb:raw())
    local line = summary(message)
    pinfo.cols.info = line
    local subtree = tree:add(uecs, tvb(), "UECS CCM, " .. line)
    if message.kind then add_fields(subtree, tvb, message) end
    add_findings(subtree, message)
    return tvb:len()
end

local udp_port = DissectorTable.get("udp.port")
for _, port in ipairs({ 16520, 16521, 16529 }) do udp_port:add(port, uecs) end
