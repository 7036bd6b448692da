# Sourced by the shell tests that drive Windows programs and Varnel.Client in the tests'
# Wine session (ROOT: the source tree).
#
# win PATH: the path as Wine's programs see it (this machine's files are drive Z:).
win() { local path=${1//\//\\}; echo "Z:$path"; }
# same_lines A B: the two files hold the same lines, whatever their line ends.
same_lines() { diff <(sed '$a\' "$1" | tr -d '\r') <(sed '$a\' "$2" | tr -d '\r') >/dev/null; }

# The class's identities, from the IDL that the type library is made of: libid, iid, clsid.
uuid_before() {
  grep -B8 -E "$1" "$root/library/com/varnel_client.idl" | grep -oE 'uuid\([0-9A-Fa-f-]+\)' | tail -n 1 |
    sed 's/uuid(\(.*\))/{\1}/'
}
libid=$(uuid_before '^library VarnelClientLib')
iid=$(uuid_before 'interface IVarnelClient : IDispatch')
clsid=$(uuid_before '^ +coclass Client')
[ -n "$libid" ] && [ -n "$iid" ] && [ -n "$clsid" ] || { echo "FAIL: no uuid for the library, interface or class"; exit 1; }
