#pragma once
// TVector: a resizable array of doubles with 1-based indices. Reads outside 1..NrOfElem give
// 0.0, writes there are dropped.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TVector;
// Fired for every exchange a sort makes: (Sender, ExchgWhat, index1, index2, first, last).
using TSortExchgEvent =
    std::function<void(TVector& Sender, std::uint8_t ExchgWhat, int Index1, int Index2, int First, int Last)>;

class TVector {
public:
    explicit TVector(int nrOfElem = 1, std::string name = {});

    // properties
    int NrOfElem() const;
    void SetNrOfElem(int n);                 // ignored when n < 1 or unchanged; keeps the overlap
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

    // events
    std::function<void(TVector& Sender)> OnChange;
    TSortExchgEvent OnSortExchange;

    // operations
    double Elem(int index) const;            // 0.0 outside 1..NrOfElem
    void SetElem(int index, double value);   // ignored outside 1..NrOfElem
    void Fill(double value);
    void SortAscending(int first, int last);  // comb sort
    void SortDescending(int first, int last);

    // Contiguous storage of elements 1..NrOfElem (element i at Data()[i - 1]), for numeric
    // inner loops. Changing elements through it fires no OnChange.
    double* Data() { return m_data.data(); }
    const double* Data() const { return m_data.data(); }

private:
    void Changed() { if (OnChange) OnChange(*this); }
    std::vector<double> m_data;
    std::string m_name;
};
