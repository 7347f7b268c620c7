// Orowan's friction factor w(s, phi): it corrects the slab relation for the stress that varies across the
// strip thickness. Held at two angles, 0 and pi/6, for 122 shear ratios s = tau/k.
#include "model/Models.h"

#include "Numerics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rollbite {

namespace {

// Rows of the friction-factor table: shear ratio s, factor at phi = 0, factor at phi = pi/6.
// Row i holds s = 1 - (10/11)^i (7 significant digits); the last row is sticking, s = 1.
struct FrictionTableRow {
    double shearRatio;
    double factorAtZero;
    double factorAtPiOverSix;
};

constexpr FrictionTableRow kFrictionTableRows[] = {
    {0.0, 1.0, 1.0},
    {0.09090909, 0.9986209, 0.9986727},
    {0.1735537, 0.9949569, 0.9951466},
    {0.2486852, 0.9895948, 0.989987},
    {0.3169865, 0.9829913, 0.983634},
    {0.3790787, 0.9755051, 0.9764335},
    {0.4355261, 0.9674194, 0.9686585},
    {0.4868419, 0.9589583, 0.9605247},
    {0.5334926, 0.9502991, 0.9522032},
    {0.5759024, 0.9415818, 0.9438286},
    {0.6144567, 0.9329161, 0.9355066},
    {0.6495061, 0.9243876, 0.9273194},
    {0.6813692, 0.9160621, 0.91933},
    {0.7103356, 0.9079891, 0.9115859},
    {0.7366687, 0.9002052, 0.9041222},
    {0.760608, 0.8927362, 0.8969633},
    {0.7823709, 0.8855992, 0.8901255},
    {0.8021553, 0.8788045, 0.8836183},
    {0.8201412, 0.8723563, 0.8774456},
    {0.836492, 0.8662546, 0.871607},
    {0.8513564, 0.8604955, 0.8660985},
    {0.8648694, 0.8550724, 0.8609137},
    {0.877154, 0.8499765, 0.8560437},
    {0.8883218, 0.8451972, 0.8514782},
    {0.8984744, 0.8407227, 0.8472057},
    {0.907704, 0.8365404, 0.8432138},
    {0.9160945, 0.8326371, 0.8394898},
    {0.9237223, 0.8289993, 0.8360204},
    {0.9306566, 0.8256132, 0.8327924},
    {0.9369606, 0.8224653, 0.8297927},
    {0.9426914, 0.8195421, 0.8270082},
    {0.9479013, 0.8168305, 0.8244262},
    {0.9526376, 0.8143176, 0.8220344},
    {0.9569432, 0.8119911, 0.8198207},
    {0.9608575, 0.8098391, 0.8177738},
    {0.9644159, 0.8078501, 0.8158827},
    {0.9676508, 0.8060132, 0.8141368},
    {0.9705916, 0.8043181, 0.8125262},
    {0.9732651, 0.8027549, 0.8110414},
    {0.9756956, 0.8013144, 0.8096735},
    {0.9779051, 0.7999877, 0.8084142},
    {0.9799137, 0.7987666, 0.8072554},
    {0.9817397, 0.7976433, 0.8061898},
    {0.9833998, 0.7966106, 0.8052104},
    {0.9849089, 0.7956617, 0.8043107},
    {0.9862808, 0.7947902, 0.8034846},
    {0.987528, 0.7939901, 0.8027264},
    {0.9886618, 0.7932559, 0.8020309},
    {0.9896926, 0.7925826, 0.8013931},
    {0.9906296, 0.7919652, 0.8008085},
    {0.9914814, 0.7913994, 0.8002728},
    {0.9922559, 0.7908811, 0.7997822},
    {0.9929599, 0.7904064, 0.799333},
    {0.9935999, 0.7899718, 0.7989219},
    {0.9941817, 0.7895741, 0.7985456},
    {0.9947106, 0.7892102, 0.7982015},
    {0.9951915, 0.7888773, 0.7978868},
    {0.9956286, 0.788573, 0.797599},
    {0.996026, 0.7882948, 0.7973361},
    {0.9963873, 0.7880405, 0.7970957},
    {0.9967157, 0.7878082, 0.7968762},
    {0.9970143, 0.7875959, 0.7966757},
    {0.9972857, 0.7874021, 0.7964926},
    {0.9975325, 0.7872251, 0.7963254},
    {0.9977568, 0.7870636, 0.7961729},
    {0.9979607, 0.7869161, 0.7960336},
    {0.9981461, 0.7867815, 0.7959066},
    {0.9983146, 0.7866587, 0.7957906},
    {0.9984679, 0.7865467, 0.7956849},
    {0.9986071, 0.7864446, 0.7955885},
    {0.9987338, 0.7863514, 0.7955005},
    {0.9988489, 0.7862664, 0.7954204},
    {0.9989535, 0.786189, 0.7953473},
    {0.9990487, 0.7861184, 0.7952807},
    {0.9991351, 0.786054, 0.79522},
    {0.9992138, 0.7859954, 0.7951646},
    {0.9992852, 0.7859419, 0.7951142},
    {0.9993502, 0.7858932, 0.7950683},
    {0.9994093, 0.7858488, 0.7950264},
    {0.999463, 0.7858084, 0.7949883},
    {0.9995118, 0.7857716, 0.7949536},
    {0.9995562, 0.7857381, 0.794922},
    {0.9995965, 0.7857075, 0.7948932},
    {0.9996332, 0.7856797, 0.794867},
    {0.9996666, 0.7856544, 0.7948431},
    {0.9996969, 0.7856313, 0.7948214},
    {0.9997244, 0.7856103, 0.7948016},
    {0.9997495, 0.7855912, 0.7947836},
    {0.9997723, 0.7855738, 0.7947672},
    {0.999793, 0.785558, 0.7947523},
    {0.9998118, 0.7855436, 0.7947387},
    {0.9998289, 0.7855305, 0.7947263},
    {0.9998444, 0.7855185, 0.7947151},
    {0.9998586, 0.7855077, 0.7947048},
    {0.9998714, 0.7854978, 0.7946955},
    {0.9998831, 0.7854888, 0.794687},
    {0.9998938, 0.7854806, 0.7946793},
    {0.9999034, 0.7854731, 0.7946723},
    {0.9999122, 0.7854664, 0.7946659},
    {0.9999202, 0.7854602, 0.7946601},
    {0.9999274, 0.7854546, 0.7946548},
    {0.999934, 0.7854495, 0.79465},
    {0.99994, 0.7854448, 0.7946456},
    {0.9999455, 0.7854406, 0.7946416},
    {0.9999504, 0.7854368, 0.794638},
    {0.9999549, 0.7854333, 0.7946347},
    {0.999959, 0.7854301, 0.7946317},
    {0.9999628, 0.7854272, 0.794629},
    {0.9999661, 0.7854246, 0.7946265},
    {0.9999692, 0.7854222, 0.7946243},
    {0.999972, 0.78542, 0.7946222},
    {0.9999746, 0.785418, 0.7946204},
    {0.9999769, 0.7854162, 0.7946187},
    {0.999979, 0.7854146, 0.7946171},
    {0.9999809, 0.7854131, 0.7946157},
    {0.9999826, 0.7854117, 0.7946145},
    {0.9999842, 0.7854105, 0.7946133},
    {0.9999856, 0.7854094, 0.7946122},
    {0.9999869, 0.7854084, 0.7946113},
    {0.9999881, 0.7854074, 0.7946104},
    {0.9999892, 0.7854066, 0.7946096},
    {1.0, 0.7853982, 0.7946017},
};

constexpr int kStickingRow = 121;
constexpr int kLastInterpolationRow = 120;

} // namespace

void Models::fillFrictionTables() {
    for (int row = 0; row <= kStickingRow; ++row) {
        Shear_Ratio_Table[row] = kFrictionTableRows[row].shearRatio;
        W0_Table[row] = kFrictionTableRows[row].factorAtZero;
        W30_Table[row] = kFrictionTableRows[row].factorAtPiOverSix;
    }
    W0_Slope.assign(kStickingRow, 0.0);
    W30_Slope.assign(kStickingRow, 0.0);
    for (int row = 0; row <= kLastInterpolationRow; ++row) {
        const double ratioStep = Shear_Ratio_Table[row + 1] - Shear_Ratio_Table[row];
        W0_Slope[row] = (W0_Table[row + 1] - W0_Table[row]) / ratioStep;
        W30_Slope[row] = (W30_Table[row + 1] - W30_Table[row]) / ratioStep;
    }
}

double Models::frictionFactor(double shearRatio, double angle) {
    int row = -1;
    return frictionFactor(shearRatio, angle, row);
}

double Models::frictionFactor(double shearRatio, double angle, int& rowHint) {
    if (isZero(shearRatio - 1.0)) {
        // Sticking: the last row, linear in the angle. The exit point of the grid lies at epsilon.
        if (isZero(angle) || isZero(angle - kEpsilon)) {
            return W0_Table[kStickingRow];
        }
        return W0_Table[kStickingRow] +
               (W30_Table[kStickingRow] - W0_Table[kStickingRow]) * angle / kPiOverSix;
    }
    if (shearRatio >= 0.0 && shearRatio < 1.0) {
        // The rows are spaced so that row i starts at 1 - (1/1.1)^i: the row follows without a search.
        // Along a slab pass the ratio moves little from point to point: the previous row is the guess.
        const int row =
            rowHint < 0 ? Friction_rows.rowOf(shearRatio) : Friction_rows.rowNear(shearRatio, rowHint);
        rowHint = row;
        const double aboveRow = shearRatio - Shear_Ratio_Table[row];
        const double factorAtZero = W0_Table[row] + W0_Slope[row] * aboveRow;
        const double factorAtPiOverSix = W30_Table[row] + W30_Slope[row] * aboveRow;
        // Not clamped: angles beyond pi/6 or below 0 extrapolate along the same line.
        return factorAtZero + (factorAtPiOverSix - factorAtZero) / kPiOverSix * angle;
    }
    Has_Failed = 1;
    return std::numeric_limits<double>::infinity();
}

} // namespace rollbite
