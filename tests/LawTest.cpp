// Flow-stress laws: each built-in law gives the values of its published formula and parameter set; the
// bite takes a law exactly as it takes the rheologies it knew (a law of the same formula gives the same
// forces to the last bit); a pass outside a law's ranges is refused unless extrapolated; and the forces
// follow the physics of the law: a faster roll or a colder strip rolls harder. The sensitivities by a
// law's factor and parameters obey the law's own scaling and agree with whole solves.
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/LawCatalogue.h"
#include "rollbite/model/ScheduleSolver.h"
#include "rollbite/model/SensitivitySolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace rollbite;

namespace {

constexpr double kKelvin = 273.15; // K at 0 degrees Celsius

struct PublishedValue {
    const char* law;
    LawParameters parameters;
    LawPoint point; // strain, 1/s, degrees Celsius
    double stress;  // MPa, to 0.5 %
    const char* source;
};

// A hot pass of a finishing mill: 10 to 7 mm on 700 mm rolls, at about 60 1/s, 1000 to 990 C.
CaseInputs hotPass(const FlowStressLaw* law, LawParameters parameters) {
    CaseInputs pass;
    pass.Case_id = 1;
    pass.Entry_thickness = 10.0;
    pass.Exit_thickness = 7.0;
    pass.Entry_tension = 5.0;
    pass.Exit_tension = 8.0;
    pass.Working_roll_diameter = 700.0;
    pass.Young_modulus_WR = 210000.0;
    pass.Offset_yield_stress = 0.0;
    pass.Friction_coefficient = 0.3;
    pass.law = law;
    std::copy(parameters.begin(), parameters.end(), pass.coefficients.begin());
    pass.TemperatureIn = 1000.0;
    pass.TemperatureOut = 990.0;
    pass.Strip_speed = 5.0;
    return pass;
}

// A cold pass: the first example pass of the Smatch run.
CaseInputs coldPass() {
    CaseInputs pass;
    pass.Case_id = 101;
    pass.Entry_thickness = 40.0;
    pass.Exit_thickness = 25.0;
    pass.Entry_tension = 0.0;
    pass.Exit_tension = 8.0;
    pass.Working_roll_diameter = 850.0;
    pass.Young_modulus_WR = 210000.0;
    pass.Offset_yield_stress = 5.0;
    pass.Friction_coefficient = 0.35;
    pass.coefficients[0] = 76.24564889;
    pass.coefficients[1] = 25.4152163;
    pass.coefficients[2] = 0.12;
    pass.coefficients[3] = 4.5;
    return pass;
}

// Smatch's law written by a user against the interface, in its order of operations.
class UserSmatch : public FlowStressLaw {
public:
    std::string name() const override { return "user-smatch"; }
    std::string description() const override { return "(1 - c exp(-d eps)) (a + b eps)"; }
    std::vector<LawParameter> parameters() const override {
        return {{"a", "MPa", ""}, {"b", "MPa", ""}, {"c", "", ""}, {"d", "", ""}};
    }
    LawValidity validity() const override { return {{0.0, 10.0}, {0.0, 1e9}, {-273.0, 1e9}}; }
    bool readsStrainRate() const override { return false; }
    bool readsTemperature() const override { return false; }
    double flowStress(const LawPoint& point, const LawParameters& k) const override {
        const double saturationTerm = std::exp(-k[3] * point.strain) * k[2];
        return (1.0 - saturationTerm) * (point.strain * k[1] + k[0]);
    }
};

void expectSameBits(const CaseResult& law, const CaseResult& builtIn) {
    ASSERT_EQ(law.errorCode, VOID) << law.reason;
    ASSERT_EQ(builtIn.errorCode, VOID) << builtIn.reason;
    EXPECT_EQ(law.Rolling_Force, builtIn.Rolling_Force);
    EXPECT_EQ(law.Forward_Slip, builtIn.Forward_Slip);
    EXPECT_EQ(law.Rolling_Torque, builtIn.Rolling_Torque);
    EXPECT_EQ(law.Sigma_Moy, builtIn.Sigma_Moy);
}

// Voce at its saturation (150 MPa, here with no offset) is the Constant rheology at 150 MPa.
CaseInputs flatVoce(const LawCatalogue& laws) {
    CaseInputs pass = coldPass();
    pass.law = laws.find("voce");
    pass.coefficients = {};
    pass.coefficients[0] = 150.0;
    pass.coefficients[1] = 150.0;
    pass.coefficients[2] = 0.2;
    pass.Offset_yield_stress = 0.0;
    return pass;
}

} // namespace

TEST(Laws, GiveTheValuesOfTheirPublishedFormulasAndParameterSets) {
    // Values computed apart from this code from each law's published formula (docs/laws.md): they hold
    // its units (kgf/mm^2 and kelvin for Misaka and Shida, degrees for Johnson-Cook's temperatures).
    const double roomOf4340 = 294.0 - kKelvin;
    const PublishedValue values[] = {
        {"misaka", {0.10}, {0.3, 10.0, 1000.0}, 115.6, "Misaka 1967, C 0.10 %"},
        {"misaka", {0.10}, {0.3, 50.0, 900.0}, 175.8, "Misaka 1967, C 0.10 %"},
        {"misaka", {0.45}, {0.3, 10.0, 1000.0}, 134.1, "Misaka 1967, C 0.45 %"},
        {"shida", {0.10}, {0.3, 10.0, 1000.0}, 141.0, "Shida 1969, austenite"},
        {"shida", {0.10}, {0.3, 10.0, 800.0}, 178.5, "Shida 1969, below T_d"},
        {"johnson-cook",
         {792, 510, 0.26, 0.014, 1.03, 1.0, roomOf4340, 1793.0 - kKelvin},
         {0.1, 1.0, roomOf4340},
         1072.3,
         "Johnson and Cook 1983, 4340"},
        {"johnson-cook",
         {792, 510, 0.26, 0.014, 1.03, 1.0, roomOf4340, 1793.0 - kKelvin},
         {0.1, 1000.0, roomOf4340},
         1176.0,
         "Johnson and Cook 1983, 4340"},
        {"johnson-cook",
         {792, 510, 0.26, 0.014, 1.03, 1.0, roomOf4340, 1793.0 - kKelvin},
         {0.1, 1.0, 600.0 - kKelvin},
         863.6,
         "Johnson and Cook 1983, 4340"},
        {"johnson-cook",
         {350, 275, 0.36, 0.022, 1.00, 1.0, roomOf4340, 1811.0 - kKelvin},
         {0.1, 1.0, roomOf4340},
         470.0,
         "Johnson and Cook 1983, 1006"},
        {"swift", {565.32, 0.007117, 0.2589}, {0.0, 0.0, 20.0}, 157.1, "NUMISHEET'93 mild steel"},
        {"swift", {565.32, 0.007117, 0.2589}, {0.1, 0.0, 20.0}, 317.0, "NUMISHEET'93 mild steel"},
        {"swift", {565.32, 0.007117, 0.2589}, {0.2, 0.0, 20.0}, 376.1, "NUMISHEET'93 mild steel"},
        {"hollomon", {530.0, 0.26}, {0.2, 0.0, 20.0}, 348.9, "Kalpakjian, low-carbon steel, annealed"},
        {"voce", {200.0, 400.0, 0.1}, {0.1, 0.0, 20.0}, 326.4, "sigma_0 + (sigma_s - sigma_0)(1 - 1/e)"},
    };
    const LawCatalogue laws;
    for (const PublishedValue& value : values) {
        const FlowStressLaw* law = laws.find(value.law);
        ASSERT_NE(law, nullptr) << value.law;
        EXPECT_EQ(law->checkParameters(value.parameters), "") << value.source;
        EXPECT_NEAR(law->flowStress(value.point, value.parameters), value.stress, 0.005 * value.stress)
            << value.source;
    }
}

TEST(Laws, HotLawsSoftenWithTemperatureAndHardenWithRateAndShidasBranchesMeet) {
    const LawCatalogue laws;
    const struct {
        const char* law;
        LawParameters parameters;
    } hot[] = {{"misaka", {0.2}},
               {"shida", {0.2}},
               {"hensel-spittel-5", {3000.0, -0.0025, -0.05, 0.13, -0.02}},
               {"johnson-cook", {350, 275, 0.36, 0.022, 1.00, 1.0, 20.85, 1537.85}}};
    for (const auto& [name, k] : hot) {
        const FlowStressLaw& law = *laws.find(name);
        EXPECT_GT(law.flowStress({0.3, 10.0, 950.0}, k), law.flowStress({0.3, 10.0, 1050.0}, k)) << name;
        EXPECT_GT(law.flowStress({0.3, 50.0, 1000.0}, k), law.flowStress({0.3, 10.0, 1000.0}, k)) << name;
    }
    // Where ferrite appears (T_d) Shida's temperature term changes form: the two published forms meet there
    // within 1.5 % (g(T_d) is 1.014 for 0.1 % carbon).
    const double carbon = 0.1;
    const double ferriteCelsius = 1000.0 * 0.95 * (carbon + 0.41) / (carbon + 0.32) - 273.0;
    const FlowStressLaw& shida = *laws.find("shida");
    EXPECT_NEAR(shida.flowStress({0.3, 10.0, ferriteCelsius - 0.01}, {carbon}),
                shida.flowStress({0.3, 10.0, ferriteCelsius + 0.01}, {carbon}), 0.015 * 211.8);
}

TEST(Laws, ACatalogueFindsAnyLetterCaseAndRefusesANameTwice) {
    LawCatalogue laws;
    EXPECT_EQ(laws.names().size(), 8U);
    EXPECT_EQ(laws.find("Hensel-Spittel-9"), laws.find("hensel-spittel-9"));
    EXPECT_EQ(laws.find("no-such-law"), nullptr);
    EXPECT_TRUE(laws.add(std::make_unique<UserSmatch>()));
    EXPECT_FALSE(laws.add(std::make_unique<UserSmatch>()));
    EXPECT_EQ(laws.names().back(), "user-smatch");
}

TEST(LawCases, ALawOfTheSameFormulaAsABuiltInRheologyGivesItsForcesToTheLastBit) {
    LawCatalogue laws;
    laws.add(std::make_unique<UserSmatch>());
    CaseSolver smatch(kDirectMode, kSmatchRheology);
    CaseSolver lawSolver(kDirectMode, kLawRheology);
    CaseInputs pass = coldPass();
    const CaseResult builtIn = smatch.solve(pass);
    pass.law = laws.find("user-smatch");
    expectSameBits(lawSolver.solve(pass), builtIn);
    // Voce at its saturation is a constant flow stress: the Constant rheology's, offset and all.
    CaseSolver constant(kDirectMode, kConstantRheology);
    pass.Offset_yield_stress = 180.0;
    const CaseResult flat = constant.solve(pass);
    pass = flatVoce(laws);
    pass.Offset_yield_stress = 30.0;
    expectSameBits(lawSolver.solve(pass), flat);
}

TEST(LawCases, APassOutsideTheLawsRangesIsRefusedWithTheReasonUnlessExtrapolated) {
    const LawCatalogue laws;
    CaseSolver solver(kDirectMode, kLawRheology);
    CaseInputs pass = hotPass(laws.find("misaka"), {0.1});
    ASSERT_EQ(solver.solve(pass).errorCode, VOID) << solver.solve(pass).reason;
    pass.TemperatureOut = 700.0;
    const CaseResult refused = solver.solve(pass);
    EXPECT_EQ(refused.errorCode, INPUTS);
    EXPECT_NE(refused.reason.find("the law misaka was fitted for temperatures from 750 to 1200 C, not 700 C"),
              std::string::npos)
        << refused.reason;
    pass.extrapolate = true;
    EXPECT_EQ(solver.solve(pass).errorCode, VOID);
    pass.coefficients[0] = 0.002; // carbon as an atom fraction, not weight percent
    EXPECT_NE(solver.solve(pass).reason.find("C must be a carbon content"), std::string::npos);
    pass = hotPass(nullptr, {0.1});
    EXPECT_NE(solver.solve(pass).reason.find("no flow-stress law"), std::string::npos);
}

TEST(LawCases, AFasterRollAndAColderStripRollHarderWithAHotLaw) {
    const LawCatalogue laws;
    CaseSolver solver(kDirectMode, kLawRheology);
    for (const char* name : {"misaka", "shida"}) {
        CaseInputs pass = hotPass(laws.find(name), {0.1});
        const CaseResult base = solver.solve(pass);
        ASSERT_EQ(base.errorCode, VOID) << name << ": " << base.reason;
        pass.Strip_speed = 6.5;
        const double faster = solver.solve(pass).Rolling_Force;
        pass = hotPass(laws.find(name), {0.1});
        pass.TemperatureIn = 950.0;
        pass.TemperatureOut = 940.0;
        const double colder = solver.solve(pass).Rolling_Force;
        EXPECT_GT(faster, base.Rolling_Force) << name;
        EXPECT_GT(colder, base.Rolling_Force) << name;
        // Twice the law is more than twice the force less the tensions' share: the factor scales the law.
        pass = hotPass(laws.find(name), {0.1});
        pass.Flow_stress_factor = 2.0;
        EXPECT_GT(solver.solve(pass).Rolling_Force, 1.8 * base.Rolling_Force) << name;
    }
}

TEST(LawCases, TheInverseFindsTheFactorAndFrictionOfADirectPass) {
    // A pass rolled at 1.3 times Misaka's law and friction 0.28; its force and slip measured, the inverse
    // starting from the law itself and friction 0.2 finds both back.
    const LawCatalogue laws;
    for (const char* name : {"misaka", "swift"}) {
        const LawParameters parameters =
            std::string(name) == "swift" ? LawParameters{565.32, 0.007117, 0.2589} : LawParameters{0.1};
        CaseInputs pass = hotPass(laws.find(name), parameters);
        pass.Flow_stress_factor = 1.3;
        pass.Friction_coefficient = 0.28;
        CaseSolver direct(kDirectMode, kLawRheology);
        const CaseResult rolled = direct.solve(pass);
        ASSERT_EQ(rolled.errorCode, VOID) << name << ": " << rolled.reason;
        EXPECT_EQ(rolled.Flow_stress_factor, 1.3);
        pass.Force = rolled.Rolling_Force;
        pass.Slip = rolled.Forward_Slip;
        pass.Strip_speed *= 1.0 + rolled.Forward_Slip / 100.0; // the measured exit speed
        pass.Flow_stress_factor = 1.0;
        pass.Friction_coefficient = 0.2;
        CaseSolver inverse(kInverseMode, kLawRheology);
        const CaseResult found = inverse.solve(pass);
        ASSERT_EQ(found.errorCode, VOID) << name << ": " << found.reason;
        EXPECT_NEAR(found.Flow_stress_factor, 1.3, 0.01) << name; // within the search's tolerances
        EXPECT_NEAR(found.Friction, 0.28, 0.005) << name;
        EXPECT_EQ(found.OffsetYield, 0.0);
    }
}

TEST(LawSensitivities, TheFactorActsAsTheOffsetOfAFlatLawAndAScaleParameterAsTheFactor) {
    const LawCatalogue laws;
    constexpr double kSaturation = 150.0; // MPa
    CaseInputs pass = flatVoce(laws);
    SensitivitySolver law(kDirectMode, kLawRheology);
    ASSERT_EQ(law.solve(pass).errorCode, VOID);
    pass.Offset_yield_stress = kSaturation;
    SensitivitySolver constant(kDirectMode, kConstantRheology);
    ASSERT_EQ(constant.solve(pass).errorCode, VOID);
    // sigma = f x 150: dF/df = 150 dF/dy, for the force, the slip and the torque.
    ASSERT_EQ(law.sensitivities().lawInputs, 4);
    for (const PassOutput output :
         {PassOutput::Rolling_Force, PassOutput::Forward_Slip, PassOutput::Rolling_Torque}) {
        const double byOffset = constant.sensitivities().of(output, PassInput::Offset_yield_stress);
        EXPECT_NEAR(law.sensitivities().ofFactor(output), kSaturation * byOffset,
                    0.01 * std::abs(kSaturation * byOffset));
        EXPECT_NEAR(law.sensitivities().of(output, PassInput::Exit_thickness),
                    constant.sensitivities().of(output, PassInput::Exit_thickness),
                    1e-6 * std::abs(constant.sensitivities().of(output, PassInput::Exit_thickness)));
    }
    // Swift's K multiplies the whole law as the factor does: K dF/dK = f dF/df.
    pass = hotPass(laws.find("swift"), {565.32, 0.007117, 0.2589});
    pass.Flow_stress_factor = 1.2;
    ASSERT_EQ(law.solve(pass).errorCode, VOID);
    const PassSensitivities& swift = law.sensitivities();
    for (int o = 0; o < kPassOutputs; ++o) {
        const PassOutput output = static_cast<PassOutput>(o);
        EXPECT_NEAR(565.32 * swift.ofLawParameter(output, 0), 1.2 * swift.ofFactor(output),
                    1e-3 * std::abs(swift.ofFactor(output)));
        EXPECT_EQ(swift.lawIssue[o][3], DerivativeIssue::None);
        EXPECT_LT(swift.ofLawParameter(output, 2), 0.0) << o; // a larger n: a softer strip below strain 1
    }
}

TEST(LawSensitivities, ALawOfStrainRateIsDifferentiatedWithItsSpeedFollowingTheSlip) {
    // Against whole solves, whose speed follows the slip: by the friction, which moves the slip and with it
    // the strain rate (the speed's share is about 0.5 % of the derivative), and by the factor.
    const LawCatalogue laws;
    CaseInputs pass = hotPass(laws.find("misaka"), {0.1});
    SensitivitySolver sensitivity(kDirectMode, kLawRheology);
    ASSERT_EQ(sensitivity.solve(pass).errorCode, VOID);
    const PassSensitivities& found = sensitivity.sensitivities();
    CaseSolver solver(kDirectMode, kLawRheology);
    const auto centralForce = [&](double& field, double step) {
        const double value = field;
        field = value + step;
        const double above = solver.solve(pass).Rolling_Force;
        field = value - step;
        const double below = solver.solve(pass).Rolling_Force;
        field = value;
        return (above - below) / (2.0 * step);
    };
    const double byFriction = centralForce(pass.Friction_coefficient, 0.003);
    EXPECT_NEAR(found.of(PassOutput::Rolling_Force, PassInput::Friction_coefficient), byFriction,
                1e-3 * byFriction);
    const double byFactor = centralForce(pass.Flow_stress_factor, 0.01);
    EXPECT_NEAR(found.ofFactor(PassOutput::Rolling_Force), byFactor, 1e-3 * byFactor);
}

TEST(LawSensitivities, TheInverseGivesTheFactorsDeviationAsTheOffsetsOverTheLaw) {
    const LawCatalogue laws;
    constexpr double kSaturation = 150.0; // MPa
    CaseInputs pass = flatVoce(laws);
    pass.Force = 1100.0;
    pass.Slip = 8.0;
    pass.Flow_stress_factor = 1.2;
    pass.Friction_coefficient = 0.3;
    SensitivitySolver law(kInverseMode, kLawRheology);
    const CaseResult factor = law.solve(pass);
    ASSERT_EQ(factor.errorCode, VOID) << factor.reason;
    pass.Offset_yield_stress = 1.2 * kSaturation;
    SensitivitySolver constant(kInverseMode, kConstantRheology);
    const CaseResult offset = constant.solve(pass);
    ASSERT_EQ(offset.errorCode, VOID) << offset.reason;
    EXPECT_NEAR(factor.Flow_stress_factor * kSaturation, offset.OffsetYield, 1e-3 * offset.OffsetYield);
    const InverseUncertainty& u = law.uncertainty();
    const InverseUncertainty& c = constant.uncertainty();
    ASSERT_TRUE(u.finiteFigures());
    EXPECT_NEAR(u.offsetDeviation * kSaturation, c.offsetDeviation, 0.01 * c.offsetDeviation);
    EXPECT_NEAR(u.dForce_dOffset, kSaturation * c.dForce_dOffset, 0.01 * kSaturation * c.dForce_dOffset);
    EXPECT_NEAR(u.dSlip_dOffset, kSaturation * c.dSlip_dOffset,
                0.01 * std::abs(kSaturation * c.dSlip_dOffset));
    EXPECT_NEAR(u.correlation, c.correlation, 0.01);
    EXPECT_EQ(u.trusted(), c.trusted());
}

TEST(LawSchedules, ASwiftTandemCarriesTheStrainAndAMisakaMillTakesEachStandsTemperatures) {
    const LawCatalogue laws;
    StripInputs strip;
    strip.rheology = kLawRheology;
    strip.Entry_thickness = 8.0;
    strip.Width = 1000.0;
    strip.Entry_tension = 10.0;
    strip.Exit_speed = 12.0;
    strip.law = laws.find("swift");
    strip.lawParameters = {565.32, 0.007117, 0.2589};
    std::vector<StandInputs> stands(3);
    const double exits[] = {5.8, 4.3, 3.3};
    for (std::size_t k = 0; k < stands.size(); ++k) {
        stands[k] = {"S" + std::to_string(k + 1), 560.0, 210000.0, 0.13, exits[k], 40.0, 0.0};
    }
    ScheduleSolver solver;
    const ScheduleResult cold = solver.solve(strip, stands);
    ASSERT_TRUE(cold.ok()) << cold.message;
    CaseSolver direct(kDirectMode, kLawRheology);
    for (const StandResult& stand : cold.stands) {
        // Each stand starts on the law at the strain the strip brings in, and is the direct pass it built.
        const double strainIn =
            2.0 / std::sqrt(3.0) * std::log(strip.Entry_thickness / stand.pass.Entry_thickness);
        EXPECT_EQ(stand.pass.Strain_in, strainIn) << stand.name;
        EXPECT_NEAR(stand.row.Sigma_Ini, 565.32 * std::pow(0.007117 + strainIn, 0.2589), 1e-12 * 600.0);
        EXPECT_EQ(direct.solve(stand.pass).Rolling_Force, stand.row.Rolling_Force) << stand.name;
    }
    // Hot, with Misaka's law: no strain carried (the austenite recrystallises), each stand's temperatures.
    strip.law = laws.find("misaka");
    strip.lawParameters = {0.05};
    strip.Exit_speed = 8.0;
    const double temperatures[][2] = {{1000.0, 990.0}, {975.0, 965.0}, {950.0, 940.0}};
    for (std::size_t k = 0; k < stands.size(); ++k) {
        stands[k].TemperatureIn = temperatures[k][0];
        stands[k].TemperatureOut = temperatures[k][1];
    }
    const ScheduleResult hot = solver.solve(strip, stands);
    ASSERT_TRUE(hot.ok()) << hot.message;
    for (const StandResult& stand : hot.stands) {
        EXPECT_EQ(stand.pass.Strain_in, 0.0);
        EXPECT_EQ(stand.TemperatureOut, stand.pass.TemperatureOut);
        // The strip leaves at the mass flow's speed: roll speed times one plus the slip.
        EXPECT_NEAR(stand.Roll_surface_speed * (1.0 + stand.row.Forward_Slip / 100.0), stand.Exit_speed,
                    1e-6 * stand.Exit_speed);
    }
}
