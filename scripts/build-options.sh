# The main build tree's options, shared by scripts/test.sh and scripts/run.sh so that both
# build and use one tree: a release build made with g++, warnings as errors. Sourced, not run.
main_build_options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DVELOMAR_WERROR=ON)
