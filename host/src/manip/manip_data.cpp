// MManipData: a number or a data object handed back by a conversion callback.
#include <maya/MManipData.h>

#include <cmath>
#include <limits>

namespace {

// Out-of-range or NaN numbers must not reach an integer conversion.
template <typename T>
T toInteger(double v) {
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (v >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

}  // namespace

MManipData::MManipData() : rdSimple_(true), rdValue_(0.0) {}
MManipData::MManipData(bool value) : rdSimple_(true), rdValue_(value ? 1.0 : 0.0) {}
MManipData::MManipData(short value) : rdSimple_(true), rdValue_(value) {}
MManipData::MManipData(int value) : rdSimple_(true), rdValue_(value) {}
MManipData::MManipData(unsigned int value) : rdSimple_(true), rdValue_(value) {}
MManipData::MManipData(float value) : rdSimple_(true), rdValue_(value) {}
MManipData::MManipData(double value) : rdSimple_(true), rdValue_(value) {}
MManipData::MManipData(const MObject& data) : rdSimple_(false), rdValue_(0.0), rdData_(data) {}
MManipData::MManipData(const MManipData& other) = default;
MManipData::~MManipData() = default;

MManipData& MManipData::operator=(const MManipData& other) = default;
MManipData& MManipData::operator=(bool value) { return *this = MManipData(value); }
MManipData& MManipData::operator=(short value) { return *this = MManipData(value); }
MManipData& MManipData::operator=(int value) { return *this = MManipData(value); }
MManipData& MManipData::operator=(unsigned int value) { return *this = MManipData(value); }
MManipData& MManipData::operator=(float value) { return *this = MManipData(value); }
MManipData& MManipData::operator=(double value) { return *this = MManipData(value); }
MManipData& MManipData::operator=(const MObject& data) { return *this = MManipData(data); }

bool MManipData::isSimple() const { return rdSimple_; }
bool MManipData::asBool() const { return rdSimple_ && rdValue_ != 0.0; }
short MManipData::asShort() const { return rdSimple_ ? toInteger<short>(rdValue_) : 0; }
int MManipData::asLong() const { return rdSimple_ ? toInteger<int>(rdValue_) : 0; }
unsigned int MManipData::asUnsigned() const { return rdSimple_ ? toInteger<unsigned int>(rdValue_) : 0u; }
float MManipData::asFloat() const { return rdSimple_ ? static_cast<float>(rdValue_) : 0.0f; }
double MManipData::asDouble() const { return rdSimple_ ? rdValue_ : 0.0; }
MObject MManipData::asMObject() const { return rdSimple_ ? MObject() : rdData_; }
