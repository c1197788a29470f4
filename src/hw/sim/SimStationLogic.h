#pragma once
// The working values of the "Simulated Station" dialog (System menu, shown while that board is
// chosen): every parameter of the virtual bench as an entry, a check box or a choice, in
// groups on two pages. The Qt dialog builds its widgets from this list (each named after its
// field) and hands the typed texts back; OK takes them only when every entry is usable.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hw/sim/StationModel.h"

class CAdBoard;

struct SSimField {
    enum class EKind { Number, Whole, Check, Choice };

    std::string name;   // the widget's object name, e.g. "sourceNanoAmps"
    std::string label;  // e.g. "Current (nA):"
    EKind kind = EKind::Number;
    std::vector<std::string> choices;  // Choice: the entries, in the order of their values
    // Number and Whole: the entry as typed. Check: "1" or "0". Choice: the chosen entry's index.
    std::string text;
    int64_t low = 0, high = 0;  // Whole: the range accepted

    // Where the value goes (exactly one is set).
    double* number = nullptr;
    int* whole = nullptr;
    bool* flag = nullptr;
    unsigned* seed = nullptr;
};

struct SSimGroup {
    std::string title;
    int page = 0;  // 0 "CDP", 1 "Ion electrodes"
    std::vector<SSimField> fields;
};

class CSimStationLogic {
  public:
    static constexpr const char* kTitle = "Simulated Station";
    static constexpr const char* kPageTitles[2] = {"Current density", "Ion electrodes"};

    // The entries show `params`.
    explicit CSimStationLogic(const SSimStationParams& params);
    // The entries show the board's bench (or the section of velm.ini when the board is not the
    // Simulated Station).
    explicit CSimStationLogic(CAdBoard& board);
    CSimStationLogic(const CSimStationLogic&) = delete;
    CSimStationLogic& operator=(const CSimStationLogic&) = delete;

    std::vector<SSimGroup> groups;

    // The field named `name` (null when there is none).
    SSimField* Field(std::string_view name);

    // Takes every entry into the parameters. False with `error` naming the first entry that is
    // not a number (or out of its range) or the first value the bench cannot run on; nothing
    // is taken then.
    bool Check(std::string& error);
    const SSimStationParams& Params() const { return params; }

    // What OK does after Check: the board reads with the new parameters from its next reading
    // on and they are saved in velm.ini.
    void Apply(CAdBoard& board) const;

  private:
    void Build();
    void Show();

    SSimStationParams params;
};
