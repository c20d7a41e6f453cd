// Areas, triangles and distances, through expressions and by direct calls of
// the routines that read their own argument lists.
#include "engine/functions.h"
#include "tests/functions/outcome.h"

namespace tolvane::engine::testing {
namespace {

TEST(GeometryFunctions, AreasOfPlaneFigures)
{
    const Case cases[] = {
        {"s_circ(1)", "3.14159265358979"},
        {"s_circ(0)", "圆半径必须为正数！;"},
        {"s_ellip(2,3)", "18.8495559215388"},
        {"s_ellip(0,3)", "椭圆长短半轴值必须为正数！;"},
        {"s_ellip(2,-3)", "椭圆长短半轴值必须为正数！;"},
        {"s_rect(2,3)", "6"},
        {"s_rect(2,0)", "矩形长宽必须为正数！;"},
        {"s_poly(1,4)", "1"},
        {"s_poly(2,6)", "10.3923048454133"},
        {"s_poly(1,2)", "正多边形参数有误！;"},
        {"s_poly(1,4.5)", "正多边形参数有误！;"},
        {"s_poly(0,4)", "正多边形参数有误！;"},
    };
    ExpectOutcomes(cases);
}

TEST(GeometryFunctions, Triangles)
{
    const Case cases[] = {
        {"costh(3,4,5)", "0"},
        {"costh(5,5,5)", "0.5"},
        {"costh(3,5,4)", "0.6"},
        {"s_tria(3,4,5)", "6"},
        {"s_tria(2,2,2)", "1.73205080756888"},
        // A degenerate or non-positive triangle is none.
        {"costh(1,1,2)", "三边不能构成一个三角形 !;"},
        {"s_tria(1,1,2)", "三边不能构成一个三角形 !;"},
        {"s_tria(0,4,5)", "三边不能构成一个三角形 !;"},
        {"costh(-3,4,5)", "三边不能构成一个三角形 !;"},
        {"s_tria(1,2,10)", "三边不能构成一个三角形 !;"},
        // A proper triangle whose cosine rounds to 1: the text without blank.
        {"costh(1,1,0.000000001)", "三边不能构成一个三角形!;"},
    };
    ExpectOutcomes(cases);
}

TEST(GeometryFunctions, Distances)
{
    const Case cases[] = {
        {"pdisplanes(0,0,3,4)", "5"},
        {"pdisplanes(-1,-1,2,3)", "5"},
        {"pdisspace(0,0,0,1,2,2)", "3"},
        {"p_line(0,0,3,4,10)", "2"},
        {"p_line(1,1,3,4,-7)", "0"},
        {"p_planes(0,0,0,1,2,2,6)", "2"},
        {"p_planes(0,0,0,2,0,0,4)", "2"},
        // No line, no plane: the division by zero is a numeric fault.
        {"p_line(1,1,0,0,5)", kNumericFault},
        {"p_line(1,1,0,0,0)", kNumericFault},
        {"p_planes(1,1,1,0,0,0,1)", kNumericFault},
        // The true distance exceeds the double range.
        {"pdisplanes(10^308,0,-1*10^308,0)", kNumericFault},
    };
    ExpectOutcomes(cases);
}

// The count check behind the checker's: a list with the wrong number of items
// handed straight to a routine records its message and leaves r alone.
TEST(GeometryRoutines, RefuseAWrongArgumentCount)
{
    const RoutineCase cases[] = {
        {handlers::Costh, "3,4", "三边不能构成一个三角形 !;"},
        {handlers::Costh, "3,4,5,6", "三边不能构成一个三角形 !;"},
        {handlers::STria, "3", "三边不能构成一个三角形 !;"},
        {handlers::Pdisplanes, "0,0,3", "平面两点坐标有误 !;"},
        {handlers::Pdisplanes, "0,0,3,4,5", "平面两点坐标有误 !;"},
        {handlers::Pdisspace, "0,0,0,1,2", "空间两点坐标有误 !;"},
        {handlers::PLine, "0,0,3,4", "参数输入有误 !;"},
        {handlers::PPlanes, "0,0,0,1,2,2,6,7", "参数输入有误 !;"},
    };
    ExpectRefusals(cases);
}

// No line (A = B = 0) divides by zero: a numeric fault, not a message.
TEST(GeometryRoutines, ADivisionByZeroIsANumericFault)
{
    ErrorState errors;
    const std::optional<double> answer = ApplyFunction("p_line", "1,1,0,0,5", errors);
    EXPECT_EQ(Outcome(answer, errors), kNumericFault);
    EXPECT_EQ(errors.text, "");
}

} // namespace
} // namespace tolvane::engine::testing
