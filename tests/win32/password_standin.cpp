// The tests' own stand-in for the password control-panel module of the 95 family (Wine has
// none): VerifyScreenSavePwd accepts or refuses as the file named by WUMPETS_TEST_ANSWER says
// ("accept" or anything else), and notes each call in that file's ".calls" companion.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) {
  const char* answer_file = std::getenv("WUMPETS_TEST_ANSWER");
  if (!answer_file) return FALSE;
  std::string answer;
  std::ifstream(answer_file) >> answer;
  std::ofstream(std::string(answer_file) + ".calls", std::ios::app | std::ios::binary) << answer << "\n";
  return answer == "accept" ? TRUE : FALSE;
}
