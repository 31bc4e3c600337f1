// A robot for the operator tests: it does nothing but write each call, with
// its arguments, to a log, and its sensor returns a reading the test sets.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "programs/Robot.h"

class CountingRobot : public Robot {
 public:
  std::vector<std::string> calls;
  double reading = 0.0;

  void MoveForward() override { Log("MoveForward()"); }
  void MoveForward(double a) override { Log("MoveForward", a); }
  void MoveBackward() override { Log("MoveBackward()"); }
  void MoveBackward(double a) override { Log("MoveBackward", a); }
  void MoveLeft() override { Log("MoveLeft()"); }
  void MoveLeft(double a) override { Log("MoveLeft", a); }
  void MoveLeft(double a, double b) override { Log("MoveLeft", a, b); }
  void MoveRight() override { Log("MoveRight()"); }
  void MoveRight(double a) override { Log("MoveRight", a); }
  void MoveRight(double a, double b) override { Log("MoveRight", a, b); }
  void TurnLeft() override { Log("TurnLeft()"); }
  void TurnLeft(double a) override { Log("TurnLeft", a); }
  void TurnRight() override { Log("TurnRight()"); }
  void TurnRight(double a) override { Log("TurnRight", a); }
  double Sensor(double a) override {
    Log("Sensor", a);
    return reading;
  }

 private:
  void Log(const std::string& call) { calls.push_back(call); }
  void Log(const std::string& name, double a) {
    std::ostringstream text;
    text << name << '(' << a << ')';
    calls.push_back(text.str());
  }
  void Log(const std::string& name, double a, double b) {
    std::ostringstream text;
    text << name << '(' << a << ',' << b << ')';
    calls.push_back(text.str());
  }
};
