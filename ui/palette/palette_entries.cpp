#include "ui/palette/palette_entries.h"

#include <algorithm>

namespace tolvane::ui::palette {
namespace {

constexpr std::array kStatistics = {
    ButtonEntry{"cxButton1", "max()", "求最大值", 8, 18, 49, 0},
    ButtonEntry{"cxButton2", "min()", "求最小值", 69, 18, 49, 1},
    ButtonEntry{"cxButton3", "sum()", "求和", 131, 18, 49, 2},
    ButtonEntry{"cxButton4", "avg()", "求平均数", 192, 18, 49, 3},
    ButtonEntry{"cxButton5", "stddev()", "标准偏差", 253, 18, 75, 4},
};

constexpr std::array kTrigonometry = {
    ButtonEntry{"cxButton16", "sin()", "正弦函数", 8, 18, 49, 0},
    ButtonEntry{"cxButton17", "cos()", "余弦函数", 70, 18, 49, 1},
    ButtonEntry{"cxButton18", "tan()", "正切函数", 131, 18, 49, 2},
    ButtonEntry{"cxButton19", "arcsin()", "反正弦函数", 193, 18, 61, 3},
    ButtonEntry{"cxButton20", "arccos()", "反余弦函数", 267, 18, 61, 4},
    ButtonEntry{"cxButton9", "degrad()", "角度转弧度 eg. degrad(60)", 8, 46, 75, 6},
    ButtonEntry{"cxButton42", "raddeg()", "弧度转角度 eg.raddeg(3.14)", 90, 46, 75, 7},
    ButtonEntry{"cxButton43", "costh()", "余弦定理 eg.costh(a,b,c)", 171, 46, 75, 8},
    ButtonEntry{"cxButton21", "arctan()", "反正切函数", 253, 46, 75, 5},
};

constexpr std::array kExponential = {
    ButtonEntry{"cxButton6", "sqrt()", "求平方根", 8, 18, 49, 0},
    ButtonEntry{"cxButton7", "power()", "求给定数字的乘幂 eg.power(2,3)", 73, 18, 60, 1},
    ButtonEntry{"cxButton8", "abs()", "求绝对值", 149, 18, 49, 2},
    ButtonEntry{"cxButton10", "exp()", "求e为底的指数函数", 214, 18, 49, 3},
    ButtonEntry{"cxButton14", "ln()", "求以e为底的自然对数", 279, 18, 49, 7},
    ButtonEntry{"cxButton11", "log2()", "求2为底的对数值", 8, 46, 49, 4},
    ButtonEntry{"cxButton12", "log10()", "求10为底的对数值", 73, 46, 60, 5},
    ButtonEntry{"cxButton13", "logN(a,N)", "", 149, 46, 75, 6},
};

constexpr std::array kDataHandling = {
    ButtonEntry{"cxButton15", "int()", "取整", 8, 17, 49, 0},
    ButtonEntry{"cxButton22", "frac() ", "取小数部分", 67, 17, 49, 1},
    ButtonEntry{"cxButton25", "mod()", "求模 eg.mod(M,N)", 125, 17, 49, 4},
    ButtonEntry{"cxButton23", "round()", "四舍五入取整", 183, 17, 60, 2},
    ButtonEntry{"cxButton24", "roundto()", "保留一位小数 eg.roundto(x,-1)", 253, 17, 75, 3},
};

constexpr std::array kGeometry = {
    ButtonEntry{"cxButton27", "s_tria()", "求三角形面积 eg.s_tria(a,b,c)", 8, 16, 55, 0},
    ButtonEntry{"cxButton28", "s_circ()", "求圆形面积", 68, 17, 55, 1},
    ButtonEntry{"cxButton29", "s_ellip()", "求椭圆面积 eg.s_ellip(a,b)", 128, 17, 55, 2},
    ButtonEntry{"cxButton30", "s_rect()", "求矩形面积 eg.s_rect(a,b", 188, 17, 60, 3},
    ButtonEntry{"cxButton31", "s_poly() ", "求正多边形面积 eg.s_poly(a,n", 253, 16, 75, 4},
    ButtonEntry{"cxButton37", "pdisplanes()", "求平面两点距离 eg.pdisplanes(x1,y1,x2,y2", 8, 45, 85,
                5},
    ButtonEntry{"cxButton38", "pdisspace()", "求空间两点 eg.pdisspace(x1,y1,z1,x2,y2,z2)", 100, 45,
                85, 6},
    ButtonEntry{"cxButton39", "p_line()", "求平面点到线距离 eg.p_line(x0,y0, A, B, C)", 191, 45, 55,
                7},
    ButtonEntry{"cxButton40", "p_planes()", "求空间点到面距离 eg.p_planes(x0,y0,z0 A, B, C, D)",
                253, 45, 75, 8},
};

constexpr std::array kSeries = {
    ButtonEntry{"cxButton32", "sn()", "求等差数列前n项和 eg.sn(a1, d, n)", 8, 16, 49, 0},
    ButtonEntry{"cxButton33", "sqn()", "求等比数列前n项和 eg.sqn(a1, q, n)", 63, 16, 49, 1},
};

constexpr std::array kGroups = {
    GroupEntry{"GroupBox1", "统计函数", 49, kStatistics},
    GroupEntry{"GroupBox3", "三角函数(三角函数输入数据为弧度)", 77, kTrigonometry},
    GroupEntry{"GroupBox2", "指数对数函数", 77, kExponential},
    GroupEntry{"GroupBox4", "数据处理函数", 49, kDataHandling},
    GroupEntry{"GroupBox5", "几何面积函数", 77, kGeometry},
    GroupEntry{"GroupBox6", "数列求和", 47, kSeries},
};

// A tab position that appears twice or leaves a gap would make keyboard focus skip buttons.
template <std::size_t N>
constexpr bool TabOrderIsPermutation(const std::array<ButtonEntry, N>& buttons)
{
    for (std::size_t want = 0; want < N; ++want) {
        if (std::ranges::count(buttons, static_cast<int>(want), &ButtonEntry::tabOrder) != 1)
            return false;
    }
    return true;
}
static_assert(TabOrderIsPermutation(kStatistics) && TabOrderIsPermutation(kTrigonometry) &&
              TabOrderIsPermutation(kExponential) && TabOrderIsPermutation(kDataHandling) &&
              TabOrderIsPermutation(kGeometry) && TabOrderIsPermutation(kSeries));

// Every function but trunc, intax, arcintax and morrep has its button.
static_assert(kStatistics.size() + kTrigonometry.size() + kExponential.size() +
                  kDataHandling.size() + kGeometry.size() + kSeries.size() ==
              38);

} // namespace

std::span<const GroupEntry> Groups()
{
    return kGroups;
}

} // namespace tolvane::ui::palette
