#include "platform/geoengine/datum_table.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>

namespace tk {
namespace {

constexpr std::size_t kMaxFileBytes = 1 << 20;
constexpr std::size_t kMaxLineBytes = 1000;
constexpr std::size_t kMaxDatums = 10000;
constexpr std::size_t kMaxCodeBytes = 15;
constexpr std::size_t kMaxNameBytes = 100;
constexpr const char* kHeader = "code,name,ellipsoid,a,rf,method,dx,dy,dz,rx,ry,rz,ds";
constexpr std::size_t kFields = 13;

// RFC 4180 fields of one line; false on an unterminated quote.
bool SplitCsv(std::string_view line, std::vector<std::string>* fields) {
  fields->clear();
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields->push_back(std::move(field));
      field.clear();
    } else {
      field += c;
    }
  }
  fields->push_back(std::move(field));
  return !quoted;
}

bool ToNumber(const std::string& text, double min, double max, double* value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *value);
  return ec == std::errc() && ptr == end && std::isfinite(*value) && *value >= min &&
         *value <= max;
}

std::string LineError(int line, const std::string& what) {
  return "Datum table line " + std::to_string(line) + ": " + what;
}

}  // namespace

bool ParseDatumTable(std::string_view text, std::vector<Datum>* datums, std::string* error) {
  datums->clear();
  if (text.size() > kMaxFileBytes) {
    *error = "Datum table is too large";
    return false;
  }
  std::set<std::string> codes;
  std::vector<std::string> f;
  bool headerSeen = false;
  int lineNumber = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.size() > kMaxLineBytes) {
      *error = LineError(lineNumber, "line is too long");
      return false;
    }
    if (!headerSeen) {
      if (line != kHeader) {
        *error = LineError(lineNumber, "expected the header \"" + std::string(kHeader) + "\"");
        return false;
      }
      headerSeen = true;
      continue;
    }
    if (datums->size() >= kMaxDatums) {
      *error = LineError(lineNumber, "too many datums");
      return false;
    }
    if (!SplitCsv(line, &f) || f.size() != kFields) {
      *error = LineError(lineNumber, "expected " + std::to_string(kFields) + " fields");
      return false;
    }
    Datum d;
    d.code = f[0];
    d.name = f[1];
    d.ellipsoid = f[2];
    if (d.code.empty() || d.code.size() > kMaxCodeBytes || d.name.empty() ||
        d.name.size() > kMaxNameBytes || d.ellipsoid.empty()) {
      *error = LineError(lineNumber, "bad code, name or ellipsoid");
      return false;
    }
    if (!codes.insert(d.code).second) {
      *error = LineError(lineNumber, "duplicate datum code " + d.code);
      return false;
    }
    // Every real ellipsoid lies well inside these bounds.
    if (!ToNumber(f[3], 6.3e6, 6.4e6, &d.a) || !ToNumber(f[4], 250, 350, &d.rf)) {
      *error = LineError(lineNumber, "bad ellipsoid axis or flattening");
      return false;
    }
    if (f[5] == "translation") {
      d.method = ShiftMethod::kTranslation;
    } else if (f[5] == "helmert") {
      d.method = ShiftMethod::kHelmert;
    } else if (f[5] == "wgs72") {
      d.method = ShiftMethod::kWgs72;
    } else {
      *error = LineError(lineNumber, "unknown method " + f[5]);
      return false;
    }
    double* shift[] = {&d.dx, &d.dy, &d.dz, &d.rx, &d.ry, &d.rz, &d.ds};
    const double limit[] = {5000, 5000, 5000, 100, 100, 100, 1000};
    for (int i = 0; i < 7; ++i) {
      if (!ToNumber(f[6 + i], -limit[i], limit[i], shift[i])) {
        *error = LineError(lineNumber, "bad shift parameter " + f[6 + i]);
        return false;
      }
    }
    if (d.method == ShiftMethod::kTranslation && (d.rx != 0 || d.ry != 0 || d.rz != 0 || d.ds != 0)) {
      *error = LineError(lineNumber, "a translation has no rotations or scale");
      return false;
    }
    if (datums->empty() &&
        (d.code != "WGE" || d.method != ShiftMethod::kTranslation || d.dx != 0 || d.dy != 0 ||
         d.dz != 0 || d.a != 6378137 || d.rf != 298.257223563)) {
      *error = LineError(lineNumber, "the first datum must be WGS 84 (WGE)");
      return false;
    }
    datums->push_back(std::move(d));
  }
  if (datums->empty()) {
    *error = "Datum table holds no datum";
    return false;
  }
  return true;
}

bool LoadDatumTable(const std::string& path, std::vector<Datum>* datums, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "Datum table " + path + " cannot be opened";
    return false;
  }
  std::string text(kMaxFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) {
    *error = "Datum table " + path + " cannot be read";
    return false;
  }
  if (!ParseDatumTable(text, datums, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace tk
