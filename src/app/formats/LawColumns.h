#pragma once

#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/FlowStressLaw.h"

#include <string>
#include <vector>

namespace rollbite {

// What a run with a flow-stress law reads besides the entry file: the law's parameters and what each pass
// gives it (the strain brought in, the temperatures, the strip speed, the factor), each either given for
// the whole run ("K=565.3,n=0.26") or a column of the coefficient file, whose header row names its
// columns in any order (a unit in brackets after a name must be the law's: "K(MPa)", "K [MPa]"; a value in
// another unit would be misread, so it is refused).
class LawColumns {
public:
    // The names of what a pass gives a law, besides its parameters.
    static const std::vector<std::string>& conditionNames();
    // The header row of a coefficient file that gives every parameter of the law and every condition,
    // each name with its unit in brackets: "K(MPa) eps0 n Strain_in TemperatureIn(C) ...".
    static std::string fullHeader(const FlowStressLaw& law);
    // The unit of a parameter of the law or of a condition, as that header writes it ("" for none).
    static std::string unitOf(const FlowStressLaw& law, const std::string& name);
    // True when `name` is a parameter of the law or a condition.
    bool knows(const std::string& name) const;
    // The values of that header's columns for a pass.
    static std::vector<double> fullRecord(const FlowStressLaw& law, const CaseInputs& pass);

    // The run's law, the values given for the whole run (NAME=VALUE, separated by commas; empty for none)
    // and whether the law is used outside its ranges. False, with the reason, for a value that is not a
    // number or a name that is neither a parameter of the law nor a condition.
    bool setUp(const FlowStressLaw& law, const std::string& runValues, bool extrapolate, std::string& error);
    // The same with the values as names and numbers.
    bool setUp(const FlowStressLaw& law, const std::vector<std::pair<std::string, double>>& runValues,
               bool extrapolate, std::string& error);
    // True when some parameter of the law, or a condition it reads (TemperatureIn and TemperatureOut for a
    // law of temperature, Strip_speed for a law of strain rate), is not given for the run: the cases need a
    // coefficient file.
    bool needsFile() const;
    // The parameters and the conditions the law reads: what every case must get.
    std::vector<std::string> needed() const;
    // The coefficient file's header row. False, with the reason, for a name that is none of the law's
    // parameters or conditions, a name twice, a name also given for the run, or a parameter or a condition
    // the law reads neither in the file nor given for the run (nor in `elsewhere`, names a caller gives
    // otherwise).
    bool readHeader(const std::string& line, std::string& error);
    // The same from the columns' names.
    bool setColumns(const std::vector<std::string>& names, std::string& error,
                    const std::vector<std::string>& elsewhere = {});
    // The numbers of a record, one per column of the header.
    int count() const { return static_cast<int>(columns_.size()); }
    const std::string& name(int column) const { return columns_[static_cast<std::size_t>(column)].name; }
    // A case before its record: the law, extrapolation and the values given for the run.
    void startCase(CaseInputs& inputs) const;
    // The value of a column of the record into the case.
    void assign(int column, double value, CaseInputs& inputs) const;
    const FlowStressLaw* law() const { return law_; }

private:
    struct Column {
        std::string name;
        int parameter = -1;                      // the law's parameter, or -1 for a condition
        double CaseInputs::*condition = nullptr; // the condition, for parameter -1
    };
    // The column a name stands for; false when it is none.
    bool columnOf(const std::string& name, Column& column) const;
    bool given(const std::string& name) const;
    // The names a run or a header may give, for a message.
    std::string describeNames() const;
    static void assignTo(const Column& column, double value, CaseInputs& inputs);

    const FlowStressLaw* law_ = nullptr;
    bool extrapolate_ = false;
    std::vector<std::pair<Column, double>> runValues_;
    std::vector<Column> columns_;
};

} // namespace rollbite
