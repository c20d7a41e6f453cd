// Every text the engine can put into an error text or a fault description, byte for byte (UTF-8).
// Some end with the full-width "！", some with the ASCII "!", a few with a
// blank before the "!", some with nothing: users and tests compare them
// exactly, so they are written once here and nowhere else.
#pragma once

#include <string_view>

namespace tolvane::engine::msg {

// Checking an expression, in the order of the checking passes.
inline constexpr std::string_view kBadFunctionName = "函数名有误";
inline constexpr std::string_view kUnknownFunctionName = "无法识别的函数名！";
inline constexpr std::string_view kArgumentCount = "函数参数个数不符！";
inline constexpr std::string_view kInvalidCharacter = "表达式中有无效字符";
inline constexpr std::string_view kTooManyClosing = "表达式中括弧有误！";
inline constexpr std::string_view kParenthesisNeighbour = "表达式中括弧前后有误！";
inline constexpr std::string_view kParenthesisPairing = "表达式中括弧配对有误！";
inline constexpr std::string_view kFirstCharacter = "表达式中首字符有误！";
inline constexpr std::string_view kLastCharacter = "表达式中尾字符有误！";
inline constexpr std::string_view kOperatorNeighbour = "表达式中运算符前后有误！";
inline constexpr std::string_view kPointAtEdge = "表达式中小数点出现在首尾！";
inline constexpr std::string_view kAdjacentPoints = "表达式中小数点相邻有误！";
inline constexpr std::string_view kTwoPoints = "表达式中小数点有误！";

// Evaluating the postfix sequence.
inline constexpr std::string_view kFactorialRange = "阶乘计算只能为整数，范围1至150!";
inline constexpr std::string_view kDivisionByZero = "除数不能为零!";
inline constexpr std::string_view kInvalidToken = "表达式有无效字符";

// The function step.
inline constexpr std::string_view kUnknownFunction = "无法识别的函数！";
inline constexpr std::string_view kFirstArgument = "函数参数出错!";

// Functions computed in line.
inline constexpr std::string_view kPowerArguments = "函数参数有误!";
inline constexpr std::string_view kSqrtNegative = "根号内必须为正数!";
inline constexpr std::string_view kArcsinRange = "反正弦函数值必须在-1到1之间!";
inline constexpr std::string_view kArccosRange = "反余弦函数值必须在-1到1之间!";
inline constexpr std::string_view kLogPositive = "对数函数值必须大于0!";
inline constexpr std::string_view kLognArguments = "对数函数值有误!";
inline constexpr std::string_view kLognDomain = "对数函数值与底数必须大于0，且底数不能等于1!";
inline constexpr std::string_view kRoundtoDigits = "数据约位数有误!";
inline constexpr std::string_view kModArguments = "输入数据有误!";
inline constexpr std::string_view kModDomain = "求余必须为正整数!";
inline constexpr std::string_view kArcintaxDomain = "未交个人所得税时无法反算工资！";
inline constexpr std::string_view kCircleRadius = "圆半径必须为正数！";
inline constexpr std::string_view kEllipseArguments = "椭圆参数有误！";
inline constexpr std::string_view kEllipseAxes = "椭圆长短半轴值必须为正数！";
inline constexpr std::string_view kRectangleArguments = "矩形长宽有误！";
inline constexpr std::string_view kRectangleSides = "矩形长宽必须为正数！";
inline constexpr std::string_view kPolygonArguments = "正多边形参数有误！";

// Geometry. The two triangle texts differ only by the blank before "!".
inline constexpr std::string_view kNotATriangle = "三边不能构成一个三角形 !";
inline constexpr std::string_view kNotATriangleRounded = "三边不能构成一个三角形!";
inline constexpr std::string_view kPlanePoints = "平面两点坐标有误 !";
inline constexpr std::string_view kSpacePoints = "空间两点坐标有误 !";
inline constexpr std::string_view kDistanceArguments = "参数输入有误 !";

// Mortgage and series.
inline constexpr std::string_view kMortgageArguments = "按揭还款参数输入有误！";
inline constexpr std::string_view kArithmeticSeries = "等差数列参数输入有误，项数必须为正整数 !";
inline constexpr std::string_view kGeometricSeries = "等比数列参数输入有误，公比不能为1 !";

// The pre-check's faults (pre_check.h), described for the application's top-level error report.
inline constexpr std::string_view kFaultDivisionByZero = "Floating point division by zero";
inline constexpr std::string_view kFaultInvalidOperation = "Invalid floating point operation";
inline constexpr std::string_view kFaultOverflow = "Floating point overflow";
// Followed by the quoted text that failed to convert: '1.2.3' is not a valid floating point value
inline constexpr std::string_view kFaultNotANumber = " is not a valid floating point value";

} // namespace tolvane::engine::msg
