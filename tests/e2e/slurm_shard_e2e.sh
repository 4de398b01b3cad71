#!/usr/bin/env bash
# One archive spread over a job array: a single-node Slurm cluster of our own (munged, slurmctld
# and slurmd with their configuration, state and logs in a temporary folder) runs three tasks,
# each `plotxfer-batch --shard $((SLURM_ARRAY_TASK_ID+1))/3` over the same 30 drawings with the
# stand-in tools. Every drawing must be converted exactly once and the three reports must add up.
#   slurm_shard_e2e.sh DEMO-DIR
# Ends with 77 (skipped) where Slurm cannot run here: not root, the packages missing, or the
# daemons not coming up.
set -uo pipefail
demo=$1
skip() { echo "SKIP: $*"; exit 77; }

[ "$(id -u)" -eq 0 ] || skip "the Slurm daemons need root"
for p in munged slurmctld slurmd sbatch sinfo; do
  command -v "$p" >/dev/null 2>&1 || PATH=$PATH:/usr/sbin command -v "$p" >/dev/null 2>&1 ||
    skip "$p is missing (apt-get install munge slurmctld slurmd slurm-client)"
done
export PATH=$PATH:/usr/sbin

work=$(mktemp -d "${TMPDIR:-/tmp}/plotxfer-slurm.XXXXXX")
chmod 700 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
logs() { tail -n 5 "$work"/*.log 2>/dev/null; }

# munge, on a socket and key of our own, so that a munged of this machine is neither needed nor
# disturbed.
dd if=/dev/urandom of="$work/munge.key" bs=1024 count=1 status=none
chmod 600 "$work/munge.key"
munged --force --key-file="$work/munge.key" --socket="$work/munge.sock" \
  --pid-file="$work/munged.pid" --log-file="$work/munged.log" --seed-file="$work/munge.seed" ||
  skip "munged does not start: $(logs)"
pids+=("$(cat "$work/munged.pid")")

host=$(hostname -s)
port=$((20000 + RANDOM % 20000))
mkdir -p "$work/ctld" "$work/spool"
export SLURM_CONF=$work/slurm.conf
# One CPU: one task at a time, as a machine runs one output utility at a time.
cat >"$SLURM_CONF" <<EOF
ClusterName=plotxfer
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge.sock
CredType=cred/munge
StateSaveLocation=$work/ctld
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SlurmdParameters=config_overrides
ReturnToService=2
SlurmctldTimeout=10
SlurmdTimeout=10
NodeName=pxnode NodeHostname=$host NodeAddr=127.0.0.1 CPUs=1 State=UNKNOWN
PartitionName=shards Nodes=pxnode Default=YES MaxTime=10 State=UP
EOF

slurmctld -D -c -f "$SLURM_CONF" >>"$work/slurmctld.log" 2>&1 &
pids+=($!)
slurmd -D -N pxnode -f "$SLURM_CONF" >>"$work/slurmd.log" 2>&1 &
pids+=($!)
state=
for _ in $(seq 100); do
  state=$(sinfo -h -n pxnode -o %t 2>/dev/null)
  [ "$state" = idle ] && break
  sleep 0.2
done
[ "$state" = idle ] || skip "the Slurm node does not come up (state [$state]): $(logs)"

cp -r "$demo/app" "$work/app"
export PLOTXFER_REGISTRY_FILE=$work/settings.reg
mkdir -p "$work/drawings" "$work/out"
for i in $(seq -w 1 30); do cp "$demo/drawings/plan.VX" "$work/drawings/sheet$i.VX"; done

# A run refuses to start (3, nothing done) while any RASTRON.EXE runs on the machine, and other
# tests of this machine may run one: the task then tries again, as a task on a shared node would.
cat >"$work/task.sh" <<EOF
#!/usr/bin/env bash
for try in \$(seq 40); do
  "$work/app/plotxfer-batch" --shard \$((SLURM_ARRAY_TASK_ID+1))/3 --pdf --no-progress \\
    --output-dir "$work/out" --report "$work/report\$SLURM_ARRAY_TASK_ID.json" "$work/drawings"
  status=\$?
  [ \$status -eq 3 ] || exit \$status
  sleep 0.5
done
exit 3
EOF
chmod +x "$work/task.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "== a job array of 3 tasks over 30 drawings"
timeout 50 sbatch --wait --array=0-2 --chdir="$work" --output="$work/task%a.out" "$work/task.sh" >"$work/sbatch.out" 2>&1 ||
  fail "the array did not end well: $(cat "$work/sbatch.out" "$work"/task*.out 2>/dev/null)"

outputs=$(ls "$work/out" | grep -c '\.pdf$')
[ "$outputs" -eq 30 ] || fail "expected 30 PDFs, found $outputs"
for i in $(seq -w 1 30); do
  [ -s "$work/out/sheet$i.pdf" ] || fail "no output for sheet$i.VX"
done
# Each drawing in exactly one report, each report a third, and every report of the same whole.
for t in 0 1 2; do
  r=$work/report$t.json
  [ -f "$r" ] || { fail "task $t wrote no report: $(cat "$work/task$t.out")"; continue; }
  grep -q "\"converted\": 10," "$r" || fail "report $t does not count 10 converted: $(grep -A4 summary "$r")"
  grep -q "\"number\": $((t + 1))," "$r" || fail "report $t is not part $((t + 1))"
  grep -q '"all_drawings": 30' "$r" || fail "report $t is not a part of 30 drawings"
done
paths=$(cat "$work"/report?.json | sed -n 's/^ *"path": "\(.*\)",$/\1/p' | sort)
[ "$(wc -l <<<"$paths")" -eq 30 ] || fail "the reports hold $(wc -l <<<"$paths") rows, not 30"
dups=$(uniq -d <<<"$paths")
[ -z "$dups" ] || fail "converted more than once: $dups"

[ "$failures" -eq 0 ] || { logs; exit 1; }
echo "PASS: 30 drawings, 3 shards, each drawing once"
